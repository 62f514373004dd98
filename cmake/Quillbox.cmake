# A static library of the listed sources; its headers are included as "folder/file.h". A
# library that links Qt gets Qt's code generation (moc); the plain C++ layers do not need it.
#   quillbox_library(name SOURCES file... [LIBS lib...])
function(quillbox_library name)
    cmake_parse_arguments(Q "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${Q_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC Threads::Threads ${Q_LIBS})
    set(_qt_libs ${Q_LIBS})
    list(FILTER _qt_libs INCLUDE REGEX "^Qt6::")
    if(_qt_libs)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
endfunction()

# One GoogleTest executable of the listed sources, registered with CTest case by case.
#   quillbox_gtest(name SOURCES file... LIBS lib...)
function(quillbox_gtest name)
    cmake_parse_arguments(Q "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${Q_SOURCES})
    target_link_libraries(${name} PRIVATE ${Q_LIBS} GTest::gtest GTest::gtest_main)
    include(GoogleTest)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 120)
endfunction()

# One Qt Test executable per listed tst_*.cpp, each with the shared HELPERS, on the offscreen
# platform with a neutral locale.
#   quillbox_qtest(TESTS tst_x.cpp... [HELPERS file...] LIBS lib...)
function(quillbox_qtest)
    cmake_parse_arguments(Q "" "" "TESTS;HELPERS;LIBS" ${ARGN})
    foreach(_source IN LISTS Q_TESTS)
        get_filename_component(_name ${_source} NAME_WE)
        add_executable(${_name} ${_source} ${Q_HELPERS})
        set_target_properties(${_name} PROPERTIES AUTOMOC ON)
        target_include_directories(${_name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
        target_link_libraries(${_name} PRIVATE ${Q_LIBS} Qt6::Test)
        add_test(NAME ${_name} COMMAND ${_name})
        set_tests_properties(${_name} PROPERTIES TIMEOUT 300
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANGUAGE=;LC_ALL=;LC_MESSAGES=;LANG=C.UTF-8;XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-data")
    endforeach()
endfunction()

# Installs `file` gzip'd into `destination`, as Debian keeps man pages and change logs. The
# copy is compressed at build time without its name and time stamp (-n), so the same sources
# always give the same package.
#   quillbox_install_gzipped(file destination)
include(GNUInstallDirs)
find_program(QUILLBOX_GZIP gzip REQUIRED)
function(quillbox_install_gzipped file destination)
    get_filename_component(_source ${file} ABSOLUTE)
    get_filename_component(_name ${file} NAME)
    set(_copy ${CMAKE_CURRENT_BINARY_DIR}/${_name})
    add_custom_command(OUTPUT ${_copy}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${_source} ${_copy}
        COMMAND ${QUILLBOX_GZIP} -n -9 -f ${_copy}
        DEPENDS ${_source}
        VERBATIM)
    add_custom_target(gzip-${_name} ALL DEPENDS ${_copy}.gz)
    install(FILES ${_copy}.gz DESTINATION ${destination})
endfunction()
