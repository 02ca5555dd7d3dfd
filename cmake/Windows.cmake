# Windows builds: quillomar_windows_executable(TARGET) gives an executable
# the manifest that makes UTF-8 its ANSI code page (cmake/windows/). Does
# nothing elsewhere.
if(WIN32)
  enable_language(RC)
endif()

function(quillomar_windows_executable target)
  if(WIN32)
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/windows/utf8.rc)
  endif()
endfunction()
