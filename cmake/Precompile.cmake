# Most of a build's time goes into reading the same standard and Qt headers in every file;
# each larger target reads them once, into a precompiled header. Targets of one or two files
# go without: compiling the header would cost them more than it saves.
set(GRIP_STANDARD_HEADERS
  <algorithm> <array> <atomic> <cmath> <cstdint> <cstdio> <cstring> <functional> <map>
  <memory> <mutex> <optional> <string> <utility> <vector>)
set(GRIP_QT_HEADERS <QDir> <QFile> <QFileInfo> <QImage> <QObject> <QString> <QStringList> <QWidget>)

option(GRIP_PRECOMPILE_HEADERS "Precompile the common standard and Qt headers" ON)

# grip_precompile_headers(target [TESTS] [STANDARD_ONLY]): TESTS adds the test framework,
# STANDARD_ONLY leaves Qt out for a target that does not link it.
function(grip_precompile_headers target)
  if(NOT GRIP_PRECOMPILE_HEADERS)
    return()
  endif()
  set(headers ${GRIP_STANDARD_HEADERS})
  if(NOT "STANDARD_ONLY" IN_LIST ARGN)
    list(APPEND headers ${GRIP_QT_HEADERS})
  endif()
  if("TESTS" IN_LIST ARGN)
    list(APPEND headers <gtest/gtest.h> <QTemporaryDir>)
  endif()
  list(TRANSFORM headers REPLACE "^(.+)$" "$<$<COMPILE_LANGUAGE:CXX>:\\1>")
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()
