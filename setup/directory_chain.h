#ifndef QUILLON_SETUP_DIRECTORY_CHAIN_H_
#define QUILLON_SETUP_DIRECTORY_CHAIN_H_

#include <string>

#include "platform/status.h"

namespace quillon {

// Creates every directory along `path`: for each path separator in it (IsPathSeparator: '/'
// on Linux, '\\' or '/' on Windows) after the root (PathRootLength: "/", "C:\\"), the
// directory named by the text up to and including that separator. The text after the last
// separator is taken for a file name and not created, so a log file path or a program
// directory ending in '/' may be passed as they are. A directory that exists already is
// fine; the first other failure stops the walk and is returned (see platform/file_system.h
// MakeDirectory). 0 when every directory exists afterwards.
Status CreateDirectoryChain(const std::string& path);

}  // namespace quillon

#endif  // QUILLON_SETUP_DIRECTORY_CHAIN_H_
