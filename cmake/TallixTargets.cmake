# Compiler warnings every target of ours is built with.
function(tallix_warnings target)
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                                                 -Wnon-virtual-dtor -Wold-style-cast)
        if(TALLIX_WERROR)
            target_compile_options(${target} PRIVATE -Werror)
        endif()
    elseif(MSVC)
        target_compile_options(${target} PRIVATE /W4 /utf-8)
    endif()
endfunction()

# A library of one source folder. Its headers are included by unit path ("graphics/Bitmap.h"),
# through an include root of its own in the build tree that holds only a link to its folder, so a
# unit and its users see the headers of exactly the units they link: an include against the
# direction of the links fails to compile instead of quietly building.
function(tallix_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
    string(REGEX REPLACE "^tallix_" "" unit ${name})
    set(root ${CMAKE_BINARY_DIR}/include/${unit})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${unit} SYMBOLIC)
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${root})
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
    tallix_warnings(${name})
endfunction()
