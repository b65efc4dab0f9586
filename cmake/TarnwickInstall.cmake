# The install rules that need the prefix the install is made to (which
# `cmake --install --prefix` may change after configuring) or that look at
# what an earlier install left. Run by install(CODE) from the top CMakeLists,
# which also includes it when configuring, for tarnwick_normal_prefix.

# `prefix` without "." and ".." steps, doubled or trailing slashes.
function(tarnwick_normal_prefix out prefix)
  cmake_path(SET normal NORMALIZE "${prefix}")
  string(REGEX REPLACE "(.)/$" "\\1" normal "${normal}")
  set(${out} "${normal}" PARENT_SCOPE)
endfunction()

# The installed program has `configured`/share/tarnwick written in: an
# install to another prefix would leave it looking where nothing is, or at
# whatever someone else puts there. DESTDIR stages for that same prefix.
function(tarnwick_require_configured_prefix configured)
  tarnwick_normal_prefix(given "${CMAKE_INSTALL_PREFIX}")
  if(NOT given STREQUAL configured)
    message(FATAL_ERROR "tarnwick: this build was configured for the prefix ${configured}, "
      "and the program reads files under it (share/tarnwick); it cannot be installed to "
      "${CMAKE_INSTALL_PREFIX}. Configure a build with -DCMAKE_INSTALL_PREFIX=${CMAKE_INSTALL_PREFIX} "
      "for that prefix; DESTDIR stages an install of this one elsewhere.")
  endif()
endfunction()

# The configuration folder: every file goes in as NAME.sample, and NAME is
# written only while it is the operator's untouched copy of the previous
# default, so an upgrade never loses an edit.
#
# tarnwick_install_config_folder(<source folder> <destination below the prefix> <entries...>)
#
# The entries are files or folders of the source folder; a folder stands for
# every file below it. NAME is created when it does not exist and replaced
# when it is byte for byte the NAME.sample the previous install left. Anything
# else (an edited file, one with no NAME.sample to compare with) is left as it
# is. A NAME or NAME.sample that is there but is no regular file (a symbolic
# link, dangling or not, a folder, a fifo) stops the install before any file
# of the folder is written: a link would be written through, and anything
# else would be taken for an edit or filled in.

# True in `out` when both files exist with the same bytes.
function(_tarnwick_same_bytes out first second)
  set(same FALSE)
  if(EXISTS "${first}" AND EXISTS "${second}"
     AND NOT IS_DIRECTORY "${first}" AND NOT IS_DIRECTORY "${second}")
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${first}" "${second}"
                    RESULT_VARIABLE differ OUTPUT_QUIET ERROR_QUIET)
    if(differ EQUAL 0)
      set(same TRUE)
    endif()
  endif()
  set(${out} ${same} PARENT_SCOPE)
endfunction()

# Installs `source` as `folder`/`name`, `folder` as file(INSTALL) takes it
# (without DESTDIR). file(INSTALL) skips a destination whose time stamp
# matches, so one with other bytes is removed first, and so is a symbolic
# link, which would be written through.
macro(_tarnwick_install_as source folder name)
  set(_tarnwick_target "$ENV{DESTDIR}${folder}/${name}")
  _tarnwick_same_bytes(_tarnwick_same "${source}" "${_tarnwick_target}")
  if(IS_SYMLINK "${_tarnwick_target}" OR (EXISTS "${_tarnwick_target}" AND NOT _tarnwick_same))
    file(REMOVE "${_tarnwick_target}")
  endif()
  file(INSTALL "${source}" DESTINATION "${folder}" TYPE FILE RENAME "${name}")
endmacro()

# Stops the install when `path` is there and is no regular file.
function(_tarnwick_require_regular_file path)
  if(IS_SYMLINK "${path}")
    set(what "is a symbolic link")
  elseif(IS_DIRECTORY "${path}")
    set(what "is a folder")
  elseif(EXISTS "${path}")
    execute_process(COMMAND test -f "${path}" RESULT_VARIABLE not_regular)
    if(not_regular EQUAL 0)
      return()
    endif()
    set(what "is not a regular file")
  else()
    return()
  endif()
  message(FATAL_ERROR "${path} ${what}: the configuration folder takes regular files only; "
                      "move it away and install again (nothing of the folder was written)")
endfunction()

function(tarnwick_install_config_folder source_dir destination)
  set(files "")
  foreach(entry IN LISTS ARGN)
    if(IS_DIRECTORY "${source_dir}/${entry}")
      file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE "${source_dir}" "${source_dir}/${entry}/*")
      list(SORT found)
      list(APPEND files ${found})
    elseif(EXISTS "${source_dir}/${entry}")
      list(APPEND files "${entry}")
    endif()
  endforeach()

  set(root "${CMAKE_INSTALL_PREFIX}/${destination}")
  # Every target is looked at before the first one is written.
  foreach(file IN LISTS files)
    _tarnwick_require_regular_file("$ENV{DESTDIR}${root}/${file}")
    _tarnwick_require_regular_file("$ENV{DESTDIR}${root}/${file}.sample")
  endforeach()
  foreach(file IN LISTS files)
    get_filename_component(subfolder "${file}" DIRECTORY)
    get_filename_component(name "${file}" NAME)
    set(folder "${root}")
    if(subfolder)
      set(folder "${root}/${subfolder}")
    endif()
    set(live "$ENV{DESTDIR}${folder}/${name}")
    set(source "${source_dir}/${file}")

    # Decided before the new sample replaces the old one.
    if(NOT EXISTS "${live}")
      set(write_live TRUE)
    else()
      _tarnwick_same_bytes(write_live "${live}" "${live}.sample")
    endif()

    # The live file first: an install cut short between the two leaves NAME
    # holding the new default already; the other order would leave the old
    # default looking like an edit for good.
    if(write_live)
      _tarnwick_install_as("${source}" "${folder}" "${name}")
    else()
      message(STATUS "Keeping: ${live} (the operator's; the new default is beside it as ${name}.sample)")
    endif()
    _tarnwick_install_as("${source}" "${folder}" "${name}.sample")
  endforeach()
  set(CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_MANIFEST_FILES}" PARENT_SCOPE)
endfunction()

# The wrapper init starts from /etc/ttys: init appends the terminal's name,
# and the wrapper runs <prefix>/<program> --tty /dev/NAME. The program's path
# is written in, single-quoted for sh.
#
# tarnwick_install_tty_wrapper(<template> <program below the prefix> <destination below the prefix>)
function(tarnwick_install_tty_wrapper template program destination)
  string(REPLACE "'" "'\\''" quoted "${CMAKE_INSTALL_PREFIX}/${program}")
  set(TARNWICK_PROGRAM "'${quoted}'")
  file(READ "${template}" text)
  string(CONFIGURE "${text}" text @ONLY)
  set(installed "${CMAKE_INSTALL_PREFIX}/${destination}/tarnwick-tty")
  set(target "$ENV{DESTDIR}${installed}")
  message(STATUS "Installing: ${target}")
  # Written afresh, never through whatever stands at that name.
  file(REMOVE "${target}")
  file(WRITE "${target}" "${text}")
  file(CHMOD "${target}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
       GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  # The manifest names files as file(INSTALL) does: without DESTDIR.
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${installed}")
  set(CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_MANIFEST_FILES}" PARENT_SCOPE)
endfunction()
