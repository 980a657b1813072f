#pragma once
// The memory a scripted process's loader keeps its module list in, as the fake
// system serves it through ReadProcessMemory: the PEB, the loader data and one
// in-load-order entry per module with its UTF-16 names, written byte by byte at
// the offsets the system's own layouts give, 32-bit or 64-bit.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace fake {

// What a process's loader data is like.
enum class LoaderState {
    Ready,
    Absent,   // the PEB names no loader data
    Starting, // the loader data is not initialised yet: a process just started
    Looping,  // the last entry leads back to the first instead of to the list's head
};

struct LoaderModule {
    uint64_t base = 0;
    uint32_t size = 0;
    std::string name; // in the program's code page, as the A calls return it
    std::string path;
};

class LoaderImage {
public:
    LoaderImage() = default;
    LoaderImage(const std::vector<LoaderModule>& modules, bool wide, LoaderState state);

    uint64_t Peb() const { return peb_; }
    // Copies `size` bytes at `address`; false when any of them lies outside the image.
    bool Read(uint64_t address, void* buffer, size_t size) const;

private:
    uint64_t Allocate(size_t bytes);
    void PutPointer(uint64_t at, uint64_t value);
    template <typename T> void Put(uint64_t at, T value);
    // A counted UTF-16 name at `at`; its buffer is `buffer`, holding `chars` characters.
    void PutName(uint64_t at, uint64_t buffer, size_t chars);
    uint64_t PutEntry(const LoaderModule& module);

    bool wide_ = false;
    uint64_t start_ = 0;
    uint64_t peb_ = 0;
    std::vector<uint8_t> bytes_;
};

} // namespace fake
