// The host's interfaces, declared from their description: COM-style item containers of
// __stdcall virtual functions in their documented slot order, and the message-data callback.
#pragma once

#include <cstdint>
#include <utility>

#if defined(_WIN32)
#define QBX_STDCALL __stdcall
#else
#define QBX_STDCALL
#endif

namespace qbx {

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // COM layout: no destructor slot
#endif

// The three slots of the base interface.
struct IHostUnknown {
    virtual std::int32_t QBX_STDCALL QueryInterface(const void* iid, void** object) = 0;
    virtual std::uint32_t QBX_STDCALL AddRef() = 0;
    virtual std::uint32_t QBX_STDCALL Release() = 0;
};

// The host's item container: the current message's data, or the call's parameters.
struct ITBPDataProvider : IHostUnknown {
    // Null buffer and size -1: the item's length; otherwise copies at most size bytes.
    virtual std::int32_t QBX_STDCALL GetItemText(std::int32_t id, char* buffer,
                                                 std::int32_t size) = 0;
    virtual std::int32_t QBX_STDCALL SetItemText(std::int32_t id, const char* text,
                                                 std::int32_t length) = 0;
    virtual std::int32_t QBX_STDCALL GetItemInt(std::int32_t id) = 0;
    virtual std::int32_t QBX_STDCALL Reserved6() = 0;  // never called
    virtual std::int32_t QBX_STDCALL Reserved7() = 0;  // never called
    virtual std::int32_t QBX_STDCALL GetItemCount() = 0;
    // The host expands its own %-macros in text and leaves the result in data item 0.
    virtual std::int32_t QBX_STDCALL ExpandMacros(const char* text, std::int32_t length,
                                                  std::int32_t zero,
                                                  ITBPDataProvider* provider) = 0;
};

#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

// The host's data callback of the mail entry points: a length query (null buffer, size -1) or
// a read of up to `size` bytes.
using HostDataCallback = std::int32_t(QBX_STDCALL*)(std::intptr_t context, std::int32_t itemId,
                                                    char* buffer, std::int32_t size);

// The items of one message that the callback supplies.
inline constexpr std::int32_t kItemHeader = 100000;
inline constexpr std::int32_t kItemBody = 100001;
inline constexpr std::int32_t kItemRawMessage = 100005;
inline constexpr std::int32_t kItemReplyAddress = 45;
inline constexpr std::int32_t kItemDecodedFrom = 70;
inline constexpr std::int32_t kItemDecodedTo = 71;

inline constexpr std::int32_t kMacroResultId = 118997;
inline constexpr std::int32_t kFolderMacroResultId = 118999;

// A counted reference to a host interface: AddRef on taking, Release on letting go.
template <class T>
class HostRef {
public:
    HostRef() = default;
    explicit HostRef(T* object) : object_(object) {
        if (object_) object_->AddRef();
    }
    HostRef(const HostRef&) = delete;
    HostRef& operator=(const HostRef&) = delete;
    HostRef(HostRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    HostRef& operator=(HostRef&& other) noexcept {
        if (this != &other) {
            reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    ~HostRef() { reset(); }

    void reset() {
        if (T* old = std::exchange(object_, nullptr)) old->Release();
    }
    T* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};

}  // namespace qbx
