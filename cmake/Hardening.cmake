# Debian's hardening of programs, on every target that uses velmora_flags:
# stack protector and stack clash checks, position independent executables,
# read-only relocations resolved at start-up, and the fortified glibc
# functions where optimisation makes them work. Include after Warnings.cmake
# and before the first target.
option(VELMORA_HARDEN "Build with Debian's hardening flags" ON)

if(VELMORA_HARDEN)
  # Executables become PIE: -fPIE for their objects (and -fPIC for the static
  # libraries they link), -pie when linking.
  include(CheckPIESupported)
  check_pie_supported(LANGUAGES CXX)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)

  target_compile_options(velmora_flags INTERFACE -fstack-protector-strong -fstack-clash-protection)
  target_link_options(velmora_flags INTERFACE LINKER:-z,relro LINKER:-z,now)

  # glibc's checks need optimisation: without it they do nothing, and newer
  # glibc warns, which -Werror turns into a failure. Under the sanitizers the
  # fortified functions would hide the calls from AddressSanitizer's own
  # checks. A level the builder chose in CMAKE_CXX_FLAGS stands; -U first
  # keeps a level the compiler predefines from making -D a redefinition
  # warning.
  if(NOT VELMORA_SANITIZE AND NOT CMAKE_CXX_FLAGS MATCHES "_FORTIFY_SOURCE")
    set(velmora_optimised "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
    target_compile_options(velmora_flags INTERFACE
      "$<${velmora_optimised}:-U_FORTIFY_SOURCE>" "$<${velmora_optimised}:-D_FORTIFY_SOURCE=2>")
    unset(velmora_optimised)
  endif()
endif()
