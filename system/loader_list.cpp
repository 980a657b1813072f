#include "system/loader_list.h"

#include "system/ansi_text.h"
#include "system/name_query.h"

#include <cstddef>

namespace sys {

namespace {

// The loader's records as they lie in the other process, for its pointer width.
template <typename Ptr> struct ListLinks {
    Ptr flink;
    Ptr blink;
};

template <typename Ptr> struct CountedName {
    USHORT length; // bytes, without a terminator
    USHORT maximumLength;
    Ptr buffer;
};

template <typename Ptr> struct LoaderData {
    ULONG length;
    BOOLEAN initialized;
    Ptr ssHandle;
    ListLinks<Ptr> inLoadOrder;
};

template <typename Ptr> struct LoaderEntry {
    ListLinks<Ptr> inLoadOrder;
    ListLinks<Ptr> inMemoryOrder;
    ListLinks<Ptr> inInitializationOrder;
    Ptr dllBase;
    Ptr entryPoint;
    ULONG sizeOfImage;
    CountedName<Ptr> fullDllName;
    CountedName<Ptr> baseDllName;
};

static_assert(offsetof(LoaderData<uint32_t>, inLoadOrder) == 0x0C);
static_assert(offsetof(LoaderData<uint64_t>, inLoadOrder) == 0x10);
static_assert(offsetof(LoaderEntry<uint32_t>, fullDllName) == 0x24);
static_assert(offsetof(LoaderEntry<uint32_t>, baseDllName) == 0x2C);
static_assert(offsetof(LoaderEntry<uint64_t>, dllBase) == 0x30);
static_assert(offsetof(LoaderEntry<uint64_t>, fullDllName) == 0x48);
static_assert(offsetof(LoaderEntry<uint64_t>, baseDllName) == 0x58);

// Where the PEB keeps its pointer to the loader data.
template <typename Ptr> constexpr uint64_t kPebLoaderOffset = sizeof(Ptr) == 8 ? 0x18 : 0x0C;

class RemoteMemory {
public:
    RemoteMemory(Os& os, HANDLE process) : os_(os), process_(process) {}

    template <typename T> bool Read(uint64_t address, T& record) {
        return Bytes(address, &record, sizeof record);
    }

    // `bytes` of UTF-16 at `address`; an empty name is read from nowhere.
    bool Text(uint64_t address, USHORT bytes, std::wstring& text) {
        text.assign(bytes / sizeof(wchar_t), L'\0');
        return text.empty() || Bytes(address, text.data(), text.size() * sizeof(wchar_t));
    }

private:
    bool Bytes(uint64_t address, void* buffer, size_t size) {
        if (address == 0 || address > UINTPTR_MAX) {
            return false;
        }
        SIZE_T read = 0;
        return os_.ReadProcessMemory(process_,
                                     reinterpret_cast<LPCVOID>(static_cast<uintptr_t>(address)),
                                     buffer, size, &read) &&
               read == size;
    }

    Os& os_;
    HANDLE process_;
};

// The base name, which the loader keeps inside the full name's buffer; read on its
// own only where it lies elsewhere.
template <typename Ptr> bool ReadBaseName(RemoteMemory& memory, const LoaderEntry<Ptr>& entry,
                                          const std::wstring& full, std::wstring& base) {
    uint64_t fullStart = entry.fullDllName.buffer;
    uint64_t baseStart = entry.baseDllName.buffer;
    size_t baseChars = entry.baseDllName.length / sizeof(wchar_t);
    if (baseStart >= fullStart && (baseStart - fullStart) % sizeof(wchar_t) == 0) {
        size_t first = static_cast<size_t>((baseStart - fullStart) / sizeof(wchar_t));
        if (first <= full.size() && baseChars <= full.size() - first) {
            base = full.substr(first, baseChars);
            return true;
        }
    }
    return memory.Text(baseStart, entry.baseDllName.length, base);
}

// A loader's UTF-16 name in the program's code page, cut where the A calls' buffer
// of 260 bytes cuts it: whole characters only.
std::string NarrowLoaderName(const std::wstring& name) {
    std::string text = NarrowText(name);
    if (text.size() > kNameBufferSize) {
        text.resize(kNameBufferSize);
        text.resize(WholeCharactersLength(text, ::GetACP()));
    }
    return text;
}

template <typename Ptr> bool ReadModule(RemoteMemory& memory, const LoaderEntry<Ptr>& entry,
                                        AddressWidth width, LoadedModule& module) {
    std::wstring full;
    std::wstring base;
    if (!memory.Text(entry.fullDllName.buffer, entry.fullDllName.length, full) ||
        !ReadBaseName(memory, entry, full, base)) {
        return false;
    }
    module.name = NarrowLoaderName(base);
    module.path = NarrowLoaderName(full);
    module.base = Address(entry.dllBase, width);
    module.size = entry.sizeOfImage;
    return true;
}

// Each entry's back link must name the entry before it: a list that changes under
// the walk, or loops, ends it.
template <typename Ptr> std::optional<std::vector<LoadedModule>>
WalkList(RemoteMemory& memory, uint64_t peb, AddressWidth width) {
    Ptr loader = 0;
    LoaderData<Ptr> data{};
    if (!memory.Read(peb + kPebLoaderOffset<Ptr>, loader) || !memory.Read(loader, data) ||
        !data.initialized) {
        return std::nullopt;
    }
    const uint64_t head = loader + offsetof(LoaderData<Ptr>, inLoadOrder);
    std::vector<LoadedModule> modules;
    uint64_t previous = head;
    for (uint64_t link = data.inLoadOrder.flink; link != head;) {
        LoaderEntry<Ptr> entry{};
        if (modules.size() == kMostLoaderEntries || !memory.Read(link, entry) ||
            entry.inLoadOrder.blink != previous) {
            return std::nullopt;
        }
        if (!ReadModule(memory, entry, width, modules.emplace_back())) {
            return std::nullopt;
        }
        previous = link;
        link = entry.inLoadOrder.flink;
    }
    return modules;
}

// The 32-bit edition under WOW64 cannot reach a 64-bit process's loader data. Where
// the system has no WOW64 at all, IsWow64Process may be missing.
bool IsOutOfThisEditionsReach(Os& os, HANDLE process) {
    if constexpr (kEditionWidth == AddressWidth::Bits64) {
        return false;
    }
    BOOL self = FALSE;
    if (!os.IsWow64Process(::GetCurrentProcess(), &self)) {
        return os.GetLastError() != ERROR_PROC_NOT_FOUND;
    }
    BOOL target = FALSE;
    return self && (!os.IsWow64Process(process, &target) || !target);
}

// The PEB whose loader data lists the modules of `width`: a WOW64 process's own
// 32-bit one from the 64-bit edition, else the one the basic information names.
std::optional<uint64_t> PebAddress(Os& os, HANDLE process, AddressWidth width) {
    if (width != kEditionWidth) {
        ULONG_PTR peb32 = 0;
        if (os.NtQueryInformationProcess(process, kProcessWow64Information, &peb32, sizeof peb32,
                                         nullptr) != 0 ||
            peb32 == 0) {
            return std::nullopt;
        }
        return peb32;
    }
    if (IsOutOfThisEditionsReach(os, process)) {
        return std::nullopt;
    }
    ProcessBasicInformation basic{};
    if (os.NtQueryInformationProcess(process, kProcessBasicInformation, &basic, sizeof basic,
                                     nullptr) != 0) {
        return std::nullopt;
    }
    return reinterpret_cast<uintptr_t>(basic.pebBaseAddress);
}

} // namespace

std::optional<std::vector<LoadedModule>> ReadLoaderList(Os& os, HANDLE process,
                                                        AddressWidth width) {
    std::optional<uint64_t> peb = PebAddress(os, process, width);
    if (!peb) {
        return std::nullopt;
    }
    RemoteMemory memory(os, process);
    if (width == AddressWidth::Bits32) {
        return WalkList<uint32_t>(memory, *peb, width);
    }
    return WalkList<uint64_t>(memory, *peb, width);
}

} // namespace sys
