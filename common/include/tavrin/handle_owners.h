// One owner per Win32 handle: non-copyable, movable, closes exactly once.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <utility>

namespace tavrin {

template <typename Traits>
class UniqueOwner {
public:
    using Value = typename Traits::Value;

    UniqueOwner() noexcept = default;
    explicit UniqueOwner(Value v) noexcept : value_(v) {}
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;
    UniqueOwner(UniqueOwner&& other) noexcept : value_(other.Release()) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    ~UniqueOwner() { Reset(); }

    Value Get() const noexcept { return value_; }
    bool Valid() const noexcept { return value_ != Traits::Invalid(); }
    explicit operator bool() const noexcept { return Valid(); }

    // Marks the owner empty before closing, so a second call never closes the same value twice.
    void Reset(Value v = Traits::Invalid()) noexcept {
        Value old = std::exchange(value_, v);
        if (old != Traits::Invalid()) Traits::Close(old);
    }
    Value Release() noexcept { return std::exchange(value_, Traits::Invalid()); }

private:
    Value value_ = Traits::Invalid();
};

struct FileHandleTraits {
    using Value = HANDLE;
    static Value Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Value v) noexcept { CloseHandle(v); }
};
struct KernelHandleTraits {  // process, thread and event handles: null when empty
    using Value = HANDLE;
    static Value Invalid() noexcept { return nullptr; }
    static void Close(Value v) noexcept { CloseHandle(v); }
};
struct LocalMemoryTraits {
    using Value = void*;
    static Value Invalid() noexcept { return nullptr; }
    static void Close(Value v) noexcept { LocalFree(v); }
};
struct GdiObjectTraits {
    using Value = HGDIOBJ;
    static Value Invalid() noexcept { return nullptr; }
    static void Close(Value v) noexcept { DeleteObject(v); }
};

struct FindHandleTraits {  // FindFirstFileW's search handles
    using Value = HANDLE;
    static Value Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Value v) noexcept { FindClose(v); }
};
struct CoTaskMemoryTraits {  // memory the shell hands out, such as a folder picker's item list
    using Value = void*;
    static Value Invalid() noexcept { return nullptr; }
    static void Close(Value v) noexcept { CoTaskMemFree(v); }
};
struct MappedViewTraits {  // a view of a file mapping
    using Value = const void*;
    static Value Invalid() noexcept { return nullptr; }
    static void Close(Value v) noexcept { UnmapViewOfFile(v); }
};
struct RegistryKeyTraits {  // keys opened or created by the program, never the predefined roots
    using Value = HKEY;
    static Value Invalid() noexcept { return nullptr; }
    static void Close(Value v) noexcept { RegCloseKey(v); }
};

struct DropHandleTraits {  // what WM_DROPFILES hands over; the receiver finishes the drop
    using Value = HDROP;
    static Value Invalid() noexcept { return nullptr; }
    static void Close(Value v) noexcept { DragFinish(v); }
};
template <typename Interface>
struct ComInterfaceTraits {  // one reference to a COM object
    using Value = Interface*;
    static Value Invalid() noexcept { return nullptr; }
    static void Close(Value v) noexcept { v->Release(); }
};

using FileHandle = UniqueOwner<FileHandleTraits>;
using KernelHandle = UniqueOwner<KernelHandleTraits>;
using LocalMemory = UniqueOwner<LocalMemoryTraits>;
using GdiObject = UniqueOwner<GdiObjectTraits>;
using FindHandle = UniqueOwner<FindHandleTraits>;
using CoTaskMemory = UniqueOwner<CoTaskMemoryTraits>;
using MappedView = UniqueOwner<MappedViewTraits>;
using RegistryKey = UniqueOwner<RegistryKeyTraits>;
using DropHandle = UniqueOwner<DropHandleTraits>;
template <typename Interface>
using ComPtr = UniqueOwner<ComInterfaceTraits<Interface>>;

}  // namespace tavrin
