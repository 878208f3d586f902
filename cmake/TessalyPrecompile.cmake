# Precompiled headers: the Qt and standard headers most files of a target
# include, parsed once per target instead of once per file.
option(TESSALY_PCH "Precompile the common Qt and standard headers" ON)

function(tessaly_precompile target header)
  if(TESSALY_PCH)
    target_precompile_headers(${target} PRIVATE ${header})
  endif()
endfunction()
