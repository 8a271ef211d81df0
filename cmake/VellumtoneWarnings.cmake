# Warnings on for the project's own code, and fully static executables so
# they need no MinGW runtime DLLs beside them.
add_compile_options(-Wall -Wextra)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                        _WIN32_WINNT=0x0601 WINVER=0x0601)
if(MINGW)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()
