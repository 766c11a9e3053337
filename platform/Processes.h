#pragma once
// Starting programs (never through a shell) and looking for running ones.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kt {

// Starts a program detached from this one; a bare name is looked up in PATH.
// False when it could not be started.
bool StartProgram(const std::filesystem::path& program, const std::vector<std::string>& args = {});

// True when a process of this user runs the program of that name (its
// command name, as the kernel keeps it).
bool IsProgramRunning(std::string_view name);

}  // namespace kt
