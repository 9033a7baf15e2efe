#pragma once

#include <cstdint>
#include <string>

namespace vantor {

// The machine's physical memory in bytes; 0 when the system does not say.
std::uint64_t physicalMemory();

// Whether one block of this many bytes may be asked for: no more than three quarters of the
// machine's memory, so that a file claiming more than the machine has is refused before anything
// is allocated instead of ending the program.
bool memoryAllows(std::uint64_t bytes);

// "512 bytes", "3.1 MB", "11.9 GB" (units of 1024).
std::string byteSizeText(std::uint64_t bytes);

// "Not enough memory for NAME: it needs 11.9 GB, and this machine has 8.0 GB."
std::string notEnoughMemoryText(const std::string& name, std::uint64_t bytes);

} // namespace vantor
