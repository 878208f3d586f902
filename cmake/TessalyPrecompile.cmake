# Precompiled headers: the Qt and standard headers most files of a target
# include, parsed once instead of once per file.
option(TESSALY_PCH "Precompile the common Qt and standard headers" ON)

function(tessaly_precompile target header)
  if(TESSALY_PCH)
    target_precompile_headers(${target} PRIVATE ${header})
  endif()
endfunction()

# Targets built with the same flags and Qt module definitions use one target's
# header instead of building their own. GCC refuses a header built with other
# definitions and -Winvalid-pch says so (an error with TESSALY_WERROR).
function(tessaly_precompile_from target owner)
  if(TESSALY_PCH)
    target_precompile_headers(${target} REUSE_FROM ${owner})
  endif()
endfunction()
