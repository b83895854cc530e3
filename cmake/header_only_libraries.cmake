# CLI11 and nlohmann/json for kelvar-cli and its tests. Both are header-only, so the host's Debian
# copies serve the Windows cross build too: there only their own folders go on the include path,
# never the host's /usr/include, whose glibc headers would shadow mingw-w64's.
if(CMAKE_CROSSCOMPILING)
  set(KELVAR_HOST_HEADERS "${CMAKE_BINARY_DIR}/host-headers")
  file(MAKE_DIRECTORY "${KELVAR_HOST_HEADERS}")
  foreach(folder CLI nlohmann)
    if(NOT EXISTS "/usr/include/${folder}")
      message(FATAL_ERROR "/usr/include/${folder} is missing: run scripts/setup")
    endif()
    file(CREATE_LINK "/usr/include/${folder}" "${KELVAR_HOST_HEADERS}/${folder}" SYMBOLIC)
  endforeach()
  foreach(target CLI11::CLI11 nlohmann_json::nlohmann_json)
    add_library(${target} INTERFACE IMPORTED)
    set_target_properties(${target} PROPERTIES
      INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${KELVAR_HOST_HEADERS}"
      INTERFACE_INCLUDE_DIRECTORIES "${KELVAR_HOST_HEADERS}")
  endforeach()
else()
  find_package(CLI11 2 REQUIRED CONFIG)
  find_package(nlohmann_json 3 REQUIRED CONFIG)
endif()
