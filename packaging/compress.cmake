# Run by the build (cmake -P): writes OUTPUT, the file SOURCE compressed as Debian ships its
# documentation, with gzip -9n (the best compression, and neither name nor time stamp inside, so
# the same source always gives the same bytes).
# With SCDOC set, SOURCE is a manual page written for scdoc: @PROJECT_VERSION@ in it becomes
# VERSION, scdoc turns it into troff dated DATE_EPOCH (seconds since 1970), and hyphenation is
# turned off, since groff would cut the French words by English rules.
cmake_minimum_required(VERSION 3.25)

foreach(variable SOURCE OUTPUT)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "compress.cmake: ${variable} is not set")
    endif()
endforeach()

set(input "${SOURCE}")
if(SCDOC)
    file(READ "${SOURCE}" page)
    set(PROJECT_VERSION "${VERSION}")
    string(CONFIGURE "${page}" page @ONLY)
    set(input "${OUTPUT}.in")
    file(WRITE "${input}" "${page}")
    set(ENV{SOURCE_DATE_EPOCH} "${DATE_EPOCH}")
    execute_process(COMMAND "${SCDOC}" INPUT_FILE "${input}" OUTPUT_VARIABLE troff
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "scdoc failed on ${SOURCE}: ${status}")
    endif()
    string(REGEX REPLACE "(\n\\.TH [^\n]*\n)" "\\1.nh\n.ad l\n" troff "${troff}")
    file(WRITE "${input}" "${troff}")
endif()

execute_process(COMMAND gzip -9n -c INPUT_FILE "${input}" OUTPUT_FILE "${OUTPUT}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    file(REMOVE "${OUTPUT}")
    message(FATAL_ERROR "gzip failed on ${input}: ${status}")
endif()
