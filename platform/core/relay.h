// relay.h -- the door every public platform call goes through: failpoints, then the call, then its trace line.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace relay {

// True while a trace file or an in-process capture is open.
bool Tracing();
// True while any failpoint is set.
bool Failing();
// Counts a call to `name`; true (and the forced result) when a failpoint makes this call fail.
bool TakeFailpoint(const char* name, std::int64_t* result);
// Writes one finished trace line: "name(args) = result", indented by the depth of enclosing calls.
void WriteLine(const char* name, const std::string& args, const std::string& result);
// Writes a line that is not a call ("# text"), such as a warning the platform gave.
void WriteNote(const std::string& text);

// Depth of relayed calls in progress (window procedures run inside DispatchMessageA and ShowWindow).
struct Nesting {
    Nesting();
    ~Nesting();
};

// Names for objects in the trace ("surface2", "hwnd1", "brush7"): stable within a run, unlike addresses.
// A freed object keeps its name, so that a call freeing it still names it in its trace line.
// Both take string literals: the name is kept by pointer, and it costs no allocation on the frame's path.
void Name(const void* object, const char* kind);
void NameAs(const void* object, const char* name);
std::string NameOf(const void* object);

// Argument formatting. Plain integers print in decimal; wrap flags and codes in Hex.
struct Hex {
    std::uint64_t value;
    int digits;  // at least this many, zero-padded
    template <class T>
    explicit Hex(T v, int digits = 1)
        : value(static_cast<std::uint64_t>(static_cast<std::make_unsigned_t<T>>(v))), digits(digits) {}
};
struct Text {  // a string argument, quoted; NULL when null
    const char* text;
};

void Put(std::string& out, long long value);
void Put(std::string& out, unsigned long long value);
inline void Put(std::string& out, int value) {
    Put(out, static_cast<long long>(value));
}
inline void Put(std::string& out, long value) {
    Put(out, static_cast<long long>(value));
}
inline void Put(std::string& out, unsigned value) {
    Put(out, static_cast<unsigned long long>(value));
}
inline void Put(std::string& out, unsigned long value) {
    Put(out, static_cast<unsigned long long>(value));
}
inline void Put(std::string& out, unsigned short value) {
    Put(out, static_cast<unsigned long long>(value));
}
void Put(std::string& out, Hex value);
void Put(std::string& out, Text value);
void Put(std::string& out, const void* object);  // its name, NULL, or its address
void Put(std::string& out, const RECT* rect);
void Put(std::string& out, const MSG* msg);
void Put(std::string& out, const GUID* guid);
template <class T>
void Put(std::string& out, T* const* outPointer) {  // an out-parameter: what it holds after the call
    if (!outPointer) {
        out += "NULL";
        return;
    }
    out += '&';
    Put(out, static_cast<const void*>(*outPointer));
}

inline void PutAll(std::string&) {}
template <class First, class... Rest>
void PutAll(std::string& out, const First& first, const Rest&... rest) {
    Put(out, first);
    if constexpr (sizeof...(rest) > 0) {
        out += ", ";
        PutAll(out, rest...);
    }
}

template <class R>
R Forced(std::int64_t value) {
    if constexpr (std::is_pointer_v<R>) {
        return reinterpret_cast<R>(static_cast<std::intptr_t>(value));
    } else {
        return static_cast<R>(value);
    }
}

template <bool kHresult, class R>
std::string ResultText(const R& result) {
    std::string text;
    if constexpr (kHresult && std::is_same_v<R, HRESULT>) {
        Put(text, Hex(result));
    } else if constexpr (std::is_pointer_v<R>) {
        Put(text, static_cast<const void*>(result));
    } else {
        Put(text, result);
    }
    return text;
}

// Runs `impl` (or the failpoint's forced result) for the call `name` and traces it with `args`,
// which are formatted after the call so that out-parameters show what they received.
// With kHresult the result is a result code and is traced in hexadecimal.
template <bool kHresult = false, class Impl, class... Args>
auto Call(const char* name, Impl&& impl, const Args&... args) {
    using R = decltype(impl());
    Nesting nesting;
    if constexpr (std::is_void_v<R>) {
        std::int64_t ignored;
        if (!(Failing() && TakeFailpoint(name, &ignored))) {
            impl();
        }
        if (Tracing()) {
            std::string text;
            PutAll(text, args...);
            WriteLine(name, text, std::string());
        }
    } else {
        std::int64_t forced = 0;
        R result = (Failing() && TakeFailpoint(name, &forced)) ? Forced<R>(forced) : impl();
        if (Tracing()) {
            std::string text;
            PutAll(text, args...);
            WriteLine(name, text, ResultText<kHresult>(result));
        }
        return result;
    }
}

// A call whose result is an HRESULT.
template <class Impl, class... Args>
auto CallHr(const char* name, Impl&& impl, const Args&... args) {
    return Call<true>(name, std::forward<Impl>(impl), args...);
}

}  // namespace relay

namespace relay {
// In-process controls behind diagnostics.h.
void SetFailpoint(const std::string& call, std::int64_t result, int onlyCall);
void ClearFailpoints();
void StartCapture();
std::vector<std::string> TakeCapture();
}  // namespace relay
