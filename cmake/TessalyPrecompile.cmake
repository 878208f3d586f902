# Precompiled headers: the Qt and standard headers most files of a target
# include, parsed once instead of once per file.
option(TESSALY_PCH "Precompile the common Qt and standard headers" ON)

function(tessaly_precompile target header)
  if(TESSALY_PCH)
    target_precompile_headers(${target} PRIVATE ${header})
    tessaly_skip_pch_for_moc(${target})
  endif()
endfunction()

# Every source includes the moc output of its own header, so what AUTOMOC
# compiles on its own is empty or nearly: loading the header would cost more.
function(tessaly_skip_pch_for_moc target)
  get_target_property(binary_dir ${target} BINARY_DIR)
  set_source_files_properties(${binary_dir}/${target}_autogen/mocs_compilation.cpp TARGET_DIRECTORY ${target}
                              PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
endfunction()

# Targets built with the same flags and Qt module definitions use one target's
# header instead of building their own. GCC refuses a header built with other
# definitions and -Winvalid-pch says so (an error with TESSALY_WERROR).
function(tessaly_precompile_from target owner)
  if(TESSALY_PCH)
    target_precompile_headers(${target} REUSE_FROM ${owner})
    tessaly_skip_pch_for_moc(${target})
  endif()
endfunction()
