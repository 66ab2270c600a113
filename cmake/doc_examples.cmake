# fp_add_doc_examples(<markdown>...)
#
# Every ```cpp block of the given Markdown files is a complete program (its includes and a
# `main`). Each is built as an executable of its own and run as a test that expects exit status 0.
# A ```text block that follows a ```cpp block with only blank lines between them is that
# program's standard output, compared exactly.
#
# The blocks are extracted when CMake configures; editing a Markdown file configures again.

# Writes `content` to `path` unless the file holds it already, so that unchanged examples are
# not rebuilt.
function(fp_write_if_changed path content)
  if(EXISTS ${path})
    file(READ ${path} old)
    if(old STREQUAL content)
      return()
    endif()
  endif()
  file(WRITE ${path} "${content}")
endfunction()

function(fp_add_doc_examples)
  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/examples)
  foreach(doc IN LISTS ARGN)
    get_filename_component(doc_path ${doc} ABSOLUTE)
    file(RELATIVE_PATH doc_shown ${PROJECT_SOURCE_DIR} ${doc_path})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${doc_path})
    get_filename_component(doc_name ${doc} NAME_WE)
    string(MAKE_C_IDENTIFIER "${doc_name}" doc_id)
    file(READ ${doc_path} rest)
    set(line 1)
    set(count 0)
    while(TRUE)
      string(FIND "${rest}" "```cpp\n" open)
      if(open EQUAL -1)
        break()
      endif()
      math(EXPR code_begin "${open} + 7")
      string(SUBSTRING "${rest}" 0 ${code_begin} skipped)
      string(SUBSTRING "${rest}" ${code_begin} -1 rest)
      string(REGEX REPLACE "[^\n]" "" newlines "${skipped}")
      string(LENGTH "${newlines}" skipped_lines)
      math(EXPR line "${line} + ${skipped_lines}")

      string(FIND "${rest}" "\n```" close)
      if(close EQUAL -1)
        message(FATAL_ERROR "${doc_shown}:${line}: a ```cpp block is not closed")
      endif()
      math(EXPR close_line "${close} + 1")
      string(SUBSTRING "${rest}" 0 ${close_line} code)
      math(EXPR after "${close} + 4")
      string(SUBSTRING "${rest}" 0 ${after} skipped)
      string(SUBSTRING "${rest}" ${after} -1 rest)

      math(EXPR count "${count} + 1")
      set(name doc_${doc_id}_${count})
      fp_write_if_changed(${out_dir}/${name}.cpp "#line ${line} \"${doc_shown}\"\n${code}")
      string(REGEX REPLACE "[^\n]" "" newlines "${skipped}")
      string(LENGTH "${newlines}" skipped_lines)
      math(EXPR line "${line} + ${skipped_lines}")

      # The expected output: a ```text block right after the program.
      set(expected "")
      string(REGEX MATCH "^\n[ \t\n]*```text\n" output_open "${rest}")
      if(output_open)
        string(LENGTH "${output_open}" output_begin)
        string(SUBSTRING "${rest}" ${output_begin} -1 rest)
        string(FIND "${rest}" "```" output_close)
        string(SUBSTRING "${rest}" 0 ${output_close} output)
        math(EXPR after "${output_close} + 3")
        string(SUBSTRING "${rest}" ${after} -1 rest)
        string(REGEX REPLACE "[^\n]" "" newlines "${output_open}${output}```")
        string(LENGTH "${newlines}" skipped_lines)
        math(EXPR line "${line} + ${skipped_lines}")
        set(expected ${out_dir}/${name}.expected)
        fp_write_if_changed(${expected} "${output}")
      endif()

      add_executable(${name} ${out_dir}/${name}.cpp)
      target_link_libraries(${name} PRIVATE common keyedwalk meterline split fp_warnings)
      add_test(NAME ${name}
               COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${name}> -DEXPECTED=${expected}
                       -P ${PROJECT_SOURCE_DIR}/cmake/run_doc_example.cmake)
    endwhile()
  endforeach()
endfunction()
