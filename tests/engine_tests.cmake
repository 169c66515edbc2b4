# The engine's and the wording's tests, named once for both builds: those that need no disk run
# in the page's build too (tests/wasm), under Node; the disk's own only in the programs' build.
# Paths are relative to tests/.
set(brelin_test_support_without_disk
    support/invariant.cpp support/invariant.h
    support/memory_file_system.cpp support/memory_file_system.h
    support/run_fixture.h
    support/scripted_frontend.h)
set(brelin_engine_tests_without_disk
    engine/block_stager_test.cpp
    engine/checked_output_test.cpp
    engine/conversion_run_test.cpp
    engine/gedcom_line_test.cpp
    engine/input_forms_test.cpp
    engine/line_continuation_test.cpp
    engine/line_count_test.cpp
    engine/line_reader_test.cpp
    engine/numbering_test.cpp
    engine/pointer_check_test.cpp
    engine/record_numbering_test.cpp
    engine/run_report_test.cpp
    engine/side_files_test.cpp
    engine/staging_database_test.cpp
    text/attention_test.cpp
    text/messages_test.cpp
    text/told_test.cpp)
set(brelin_engine_tests_on_disk
    engine/file_system_test.cpp
    engine/truncation_log_test.cpp)
