# The header-only libraries of velmora.exe: CLI11 (command line) and nlohmann/json (JSON).
# Cross-building on Debian, they come from Debian's packages (libcli11-dev, nlohmann-json3-dev);
# their headers are copied into the build tree alone, since putting the host's /usr/include on a
# cross compiler's path would bring in the host's C library headers. Elsewhere (Visual Studio with
# vcpkg, for instance) their CMake packages are used.
add_library(velmora_third_party INTERFACE)
if(CMAKE_CROSSCOMPILING)
  set(_velmora_headers ${CMAKE_BINARY_DIR}/third-party)
  foreach(header CLI/CLI.hpp nlohmann/json.hpp)
    get_filename_component(_dir ${header} DIRECTORY)
    string(MAKE_C_IDENTIFIER ${_dir} _var)
    find_path(VELMORA_${_var}_INCLUDE ${header} PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    if(NOT VELMORA_${_var}_INCLUDE)
      message(FATAL_ERROR "${header} not found: run tools/setup.sh (libcli11-dev, nlohmann-json3-dev)")
    endif()
    file(COPY ${VELMORA_${_var}_INCLUDE}/${_dir} DESTINATION ${_velmora_headers})
  endforeach()
  target_include_directories(velmora_third_party SYSTEM INTERFACE ${_velmora_headers})
else()
  find_package(CLI11 CONFIG REQUIRED)
  find_package(nlohmann_json CONFIG REQUIRED)
  target_link_libraries(velmora_third_party INTERFACE CLI11::CLI11 nlohmann_json::nlohmann_json)
endif()
