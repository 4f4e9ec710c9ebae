// Starting reliability_clerk processes on a database file, waiting for them and
// killing one without warning, as a power cut would end it.
#pragma once

#include <sys/types.h>

#include <string>

namespace reliability {

//! Starts a clerk saving `saves` bills (0 = until killed); its stderr goes to `errFile`.
pid_t startClerk(const std::string& dbFile, long saves, const std::string& errFile);

//! Waits for the clerk; its exit code, or -signal when a signal ended it.
int waitClerk(pid_t pid);

//! SIGKILL, then reaps it.
void killClerk(pid_t pid);

//! The text of a file ("" when missing).
std::string readFile(const std::string& path);

//! A new empty directory under the build directory, for files a test makes.
std::string scratchDirectory(const std::string& name);

//! True under `make soak` (RELIABILITY_SCALE=soak): the long sizes.
bool soakScale();

}  // namespace reliability
