#include "tests/kit/fake_loader.h"

#include "system/ansi_text.h"

#include <cstring>

namespace fake {

namespace {

// Offsets of PEB, PEB_LDR_DATA, LDR_DATA_TABLE_ENTRY and UNICODE_STRING, as the
// system documents them for each width.
struct Layout {
    uint64_t start; // where the fake places the records
    size_t pointer; // bytes of a pointer
    size_t pebSize;
    size_t pebLoader; // PEB.Ldr
    size_t loaderSize;
    size_t loaderList; // PEB_LDR_DATA.InLoadOrderModuleList
    size_t entrySize;  // the whole entry, more than the reader asks for
    size_t dllBase;
    size_t sizeOfImage;
    size_t fullName;
    size_t baseName;
    size_t nameBuffer; // UNICODE_STRING.Buffer
};

constexpr size_t kLoaderInitialised = 4; // PEB_LDR_DATA.Initialized, both widths

constexpr Layout kLayout32{0x60000000, 4, 0x250, 0x0C, 0x30, 0x0C, 0xA8, 0x18, 0x20, 0x24, 0x2C, 4};
constexpr Layout kLayout64{
    0x7FF600000000ull, 8, 0x400, 0x18, 0x58, 0x10, 0x120, 0x30, 0x40, 0x48, 0x58, 8};

} // namespace

LoaderImage::LoaderImage(const std::vector<LoaderModule>& modules, bool wide, LoaderState state)
    : wide_(wide), start_(wide ? kLayout64.start : kLayout32.start) {
    const Layout& layout = wide ? kLayout64 : kLayout32;
    peb_ = Allocate(layout.pebSize);
    if (state == LoaderState::Absent) {
        return;
    }
    uint64_t loader = Allocate(layout.loaderSize);
    PutPointer(peb_ + layout.pebLoader, loader);
    Put<uint32_t>(loader, static_cast<uint32_t>(layout.loaderSize));
    Put<uint8_t>(loader + kLoaderInitialised, state == LoaderState::Starting ? 0 : 1);
    uint64_t head = loader + layout.loaderList;
    std::vector<uint64_t> links;
    for (const LoaderModule& module : modules) {
        links.push_back(PutEntry(module));
    }
    // The list is circular through its head: each link's forward and back pointers.
    links.insert(links.begin(), head);
    for (size_t k = 0; k < links.size(); ++k) {
        uint64_t next = links[(k + 1) % links.size()];
        if (state == LoaderState::Looping && k + 1 == links.size() && links.size() > 1) {
            next = links[1];
        }
        PutPointer(links[k], next);
        PutPointer(links[k] + layout.pointer, links[(k + links.size() - 1) % links.size()]);
    }
}

uint64_t LoaderImage::PutEntry(const LoaderModule& module) {
    const Layout& layout = wide_ ? kLayout64 : kLayout32;
    uint64_t entry = Allocate(layout.entrySize);
    PutPointer(entry + layout.dllBase, module.base);
    Put<uint32_t>(entry + layout.sizeOfImage, module.size);
    std::wstring full = sys::WideText(module.path);
    std::wstring base = sys::WideText(module.name);
    uint64_t fullBuffer = Allocate((full.size() + 1) * sizeof(wchar_t));
    std::memcpy(&bytes_[fullBuffer - start_], full.data(), full.size() * sizeof(wchar_t));
    PutName(entry + layout.fullName, fullBuffer, full.size());
    // The loader's base name lies in the full name's buffer, after the last backslash.
    size_t slash = full.find_last_of(L'\\');
    size_t tail = slash == std::wstring::npos ? 0 : slash + 1;
    if (full.compare(tail, std::wstring::npos, base) == 0) {
        PutName(entry + layout.baseName, fullBuffer + tail * sizeof(wchar_t), base.size());
    } else {
        uint64_t baseBuffer = Allocate((base.size() + 1) * sizeof(wchar_t));
        std::memcpy(&bytes_[baseBuffer - start_], base.data(), base.size() * sizeof(wchar_t));
        PutName(entry + layout.baseName, baseBuffer, base.size());
    }
    return entry;
}

void LoaderImage::PutName(uint64_t at, uint64_t buffer, size_t chars) {
    const Layout& layout = wide_ ? kLayout64 : kLayout32;
    Put<uint16_t>(at, static_cast<uint16_t>(chars * sizeof(wchar_t)));
    Put<uint16_t>(at + 2, static_cast<uint16_t>((chars + 1) * sizeof(wchar_t)));
    PutPointer(at + layout.nameBuffer, buffer);
}

bool LoaderImage::Read(uint64_t address, void* buffer, size_t size) const {
    if (address < start_ || address - start_ > bytes_.size() ||
        size > bytes_.size() - (address - start_)) {
        return false;
    }
    std::memcpy(buffer, &bytes_[address - start_], size);
    return true;
}

uint64_t LoaderImage::Allocate(size_t bytes) {
    uint64_t at = start_ + bytes_.size();
    bytes_.resize(bytes_.size() + ((bytes + 15) & ~size_t{15}), 0);
    return at;
}

void LoaderImage::PutPointer(uint64_t at, uint64_t value) {
    if (wide_) {
        Put<uint64_t>(at, value);
    } else {
        Put<uint32_t>(at, static_cast<uint32_t>(value));
    }
}

template <typename T> void LoaderImage::Put(uint64_t at, T value) {
    std::memcpy(&bytes_[at - start_], &value, sizeof value);
}

} // namespace fake
