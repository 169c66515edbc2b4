# The settings of the page's build, under emscripten (emcmake cmake): the engine, the store and
# the wording compiled to WebAssembly from the same sources as the programs, the page that runs
# them (web/), and the engine's tests that need no disk, run under Node (tests/wasm). The
# top-level CMakeLists.txt adds those folders; scripts/web drives it.
#
# What differs from the programs' build:
# - no threads: a page opened from a file has no shared memory, so the store's batches run on
#   the run's own thread (store/batch_thread_wasm.cpp);
# - no disk, process or executable of its own: the page gives the run its files;
# - SQLite compiled from its release's amalgamation, which scripts/setup fetches and checks;
# - exceptions as WebAssembly's own (-fwasm-exceptions), which every current browser and Node
#   run; emscripten's other way goes through JavaScript at every call that may throw;
# - WebAssembly's SIMD and bulk memory instructions, which current browsers and Node have too:
#   the line reader's SSE2 search runs on SIMD (-msse2 maps SSE2 onto it), and copies are one
#   instruction instead of a loop;
# - link-time optimisation, C library and SQLite included: about a tenth of the time, where
#   every copy and call of the run is on one thread.

set(BRELIN_BUILD_GUI OFF CACHE BOOL "" FORCE)
set(BRELIN_BUILD_BENCH OFF CACHE BOOL "" FORCE)

add_compile_options(-fwasm-exceptions -msimd128 -mbulk-memory -flto)
# The page is published (dist/brelin.html) and must be the same bytes wherever it is built: a path
# the compiler writes into the module (__FILE__ in an assertion, debug information) is written
# without the folders of the sources and of the build (SQLite's amalgamation: below).
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-msse2>)
add_link_options(-fwasm-exceptions -msimd128 -mbulk-memory -flto)

# Emscripten's link step runs its JavaScript optimiser under Node, which needs Debian's acorn.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)

# xxHash's header, from Debian's libxxhash-dev: copied alone into the build, since the host's
# include folder would also lend its C library's headers to the WebAssembly build.
find_file(BRELIN_XXHASH_HEADER xxhash.h PATHS /usr/include REQUIRED NO_CMAKE_FIND_ROOT_PATH)
configure_file(${BRELIN_XXHASH_HEADER} ${CMAKE_BINARY_DIR}/xxhash/xxhash.h COPYONLY)
set(XXHASH_INCLUDE_DIR ${CMAKE_BINARY_DIR}/xxhash)

# SQLite, from the amalgamation of its release tarball (scripts/setup web).
set(BRELIN_SQLITE_DIR ${PROJECT_SOURCE_DIR}/.cache/sqlite/amalgamation
    CACHE PATH "The folder of SQLite's amalgamation (sqlite3.c, sqlite3.h)")
if(NOT EXISTS ${BRELIN_SQLITE_DIR}/sqlite3.c)
    message(FATAL_ERROR "No sqlite3.c in ${BRELIN_SQLITE_DIR}: run scripts/setup web first")
endif()
enable_language(C)
add_library(brelin_sqlite STATIC ${BRELIN_SQLITE_DIR}/sqlite3.c)
target_include_directories(brelin_sqlite SYSTEM PUBLIC ${BRELIN_SQLITE_DIR})
target_compile_options(brelin_sqlite PRIVATE -ffile-prefix-map=${BRELIN_SQLITE_DIR}/=)
# One thread, no extensions to load; no counting of the memory in use, which the program never
# asks for and which costs every allocation. The staging tables, temporary, are kept in the
# module's memory whatever the store asks (SQLITE_TEMP_STORE=3): a temporary file would be one
# more copy in the browser's memory, grown by copying it whole again and again.
target_compile_definitions(brelin_sqlite PRIVATE SQLITE_THREADSAFE=0 SQLITE_OMIT_LOAD_EXTENSION
                                                 SQLITE_DEFAULT_MEMSTATUS=0 SQLITE_TEMP_STORE=3)
add_library(SQLite::SQLite3 ALIAS brelin_sqlite)
