# ASan + UBSan for everything of the native preset: the module, the host emulator and the tests
# are built alike, so the host can dlopen the sanitized module.
option(QBX_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(QBX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
