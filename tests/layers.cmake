# Fails when a folder includes a header from a folder it may not use:
# platform/ (the operating system's services) uses nothing of ours above it,
# desktop/ (the windows' shared plumbing) only platform/, about/ neither
# game/ nor top5/, top5/ not game/, and game/ not about/: only app/, which
# builds the windows, knows them all. Headers named by forms (<header> in a
# .ui) count too. The TOP5 store includes no window's header.
#   cmake -DSOURCE_DIR=<repository> -P layers.cmake
set(may_use_platform platform)
set(may_use_desktop desktop platform)
set(may_use_about about desktop platform)
set(may_use_top5 top5 desktop platform)
set(may_use_game game top5 desktop platform)

set(broken "")
foreach(folder platform desktop about top5 game)
  file(GLOB sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${folder}/*")
  if(NOT sources)
    message(FATAL_ERROR "Nothing to check in ${SOURCE_DIR}/${folder}")
  endif()
  foreach(source IN LISTS sources)
    file(STRINGS "${SOURCE_DIR}/${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"|<header>")
    foreach(line IN LISTS lines)
      # One match at a time: a MATCHES that fails clears CMAKE_MATCH_1.
      if(line MATCHES "<header>([^<]*)</header>")
        set(header "${CMAKE_MATCH_1}")
      elseif(line MATCHES "\"([^\"]*)\"")
        set(header "${CMAKE_MATCH_1}")
      else()
        continue()
      endif()
      # A header without a folder is one the build makes beside the source
      # (ui_*.h); "../" names a folder it may not use.
      if(header MATCHES "^([^/]*)/")
        list(FIND may_use_${folder} "${CMAKE_MATCH_1}" allowed)
        if(allowed EQUAL -1)
          string(APPEND broken "\n  ${source}: ${header}")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

# The TOP5 store and what it stands on know no window: no widget or dialog,
# nothing of the windows' folders, nor the routines that show its answers.
file(GLOB store RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/top5/top5*.*" "${SOURCE_DIR}/top5/ranking.*")
foreach(source IN LISTS store)
  file(STRINGS "${SOURCE_DIR}/${source}" lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(line MATCHES "QtWidgets|<Q(Widget|Label|Dialog|MessageBox|InputDialog|PushButton|Application)>|\"(game|about|desktop)/|platform/(qt)?dialogs|top5/(tiedot|sijoitus)")
      string(APPEND broken "\n  ${source}: ${line}")
    endif()
  endforeach()
endforeach()

# The system's error numbers stay in platform/: above it a failure is a
# FileError, decided on and worded by its kind.
set(errno_names "ACCES|AGAIN|BADF|BUSY|DQUOT|EXIST|FBIG|INTR|INVAL|IO|ISDIR|LOOP|MFILE|MLINK|NAMETOOLONG|NFILE|NOENT")
string(APPEND errno_names "|NOLCK|NOMEM|NOSPC|NOSYS|NOTDIR|NOTSUP|OPNOTSUPP|PERM|ROFS|STALE|TXTBSY|WOULDBLOCK|XDEV")
foreach(folder top5 desktop game about app)
  file(GLOB sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${folder}/*.cpp" "${SOURCE_DIR}/${folder}/*.h")
  foreach(source IN LISTS sources)
    file(STRINGS "${SOURCE_DIR}/${source}" lines REGEX "errno|E(${errno_names})")
    foreach(line IN LISTS lines)
      if(line MATCHES "<(c?errno|errno\\.h)>|(^|[^A-Za-z0-9_])(errno|E(${errno_names}))([^A-Za-z0-9_]|$)")
        string(APPEND broken "\n  ${source}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()

# The file format knows no words: what is wrong with a file is a value,
# worded by the messages.
file(STRINGS "${SOURCE_DIR}/top5/top5file.cpp" lines ENCODING UTF-8 REGEX "ä|ö|Ä|Ö|[^A-Za-z](tiedosto|rivi|kenttä|liian|ei|loppuu|sijaa)[^A-Za-z]")
foreach(line IN LISTS lines)
  string(APPEND broken "\n  top5/top5file.cpp (Finnish): ${line}")
endforeach()

if(broken)
  message(FATAL_ERROR "A folder uses one it may not (docs/architecture.md):${broken}")
endif()
