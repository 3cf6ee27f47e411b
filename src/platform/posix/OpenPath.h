#pragma once

#include <string>
#include <sys/stat.h>

namespace ferrolux {

// open(2) for a path of any length: paths longer than the system limit are
// opened one stretch of components at a time with openat(2). Returns the
// descriptor or -1 with errno set.
int openPath(const std::string& path, int flags);

// Opens a regular file for reading, at any depth, without ever blocking: a
// FIFO or device is refused, and the descriptor stays non-blocking, so that
// a file of the kernel's whose reads would wait (/proc/kmsg) fails a read
// with EAGAIN instead. Every reader of searched files opens them here. -1
// with errno set when it cannot be opened or is not a regular file.
int openRegularFile(const std::string& path);
// The same, with the file's status as opened (a search needs its size and
// time, and one call fewer per file counts on large trees).
int openRegularFile(const std::string& path, struct stat& info);
// The same for the entry `name` of an open directory: no walk along the
// path again, which costs more than the open itself on deep trees.
int openRegularFileAt(int dirFd, const char* name, struct stat& info);
// The entry `name` of an open directory, opened as openRegularFileAt does
// but not asked for its status, and only when it is not a link (ELOOP): the
// caller must tell a regular file before it reads with read(2).
int openEntryAt(int dirFd, const char* name);

} // namespace ferrolux
