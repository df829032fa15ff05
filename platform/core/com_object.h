// com_object.h -- what every COM object of this layer shares: a reference count, traced AddRef and Release,
// no other interfaces, and a name in the relay trace.
#pragma once

#include "relay.h"

#include <windows.h>

#include <string>

namespace plat {

template <class Interface>
class ComObject : public Interface {
public:
    // `interfaceName` as traced ("IDirectDrawSurface"); `traceKind` names the objects ("surface" -> surface1, ...).
    ComObject(const char* interfaceName, const char* traceKind)
        : addRefName_(std::string(interfaceName) + "::AddRef"), releaseName_(std::string(interfaceName) + "::Release") {
        relay::Name(Self(), traceKind);
    }
    virtual ~ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppvObject) override {
        if (ppvObject) {
            *ppvObject = nullptr;
        }
        return E_NOINTERFACE;
    }

    ULONG STDMETHODCALLTYPE AddRef() override {
        return relay::Call(
            addRefName_.c_str(), [&] { return ++references_; }, Self());
    }

    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = relay::Call(
            releaseName_.c_str(), [&] { return --references_; }, Self());
        if (left == 0) {
            delete this;
        }
        return left;
    }

protected:
    Interface* Self() { return this; }
    // References taken and dropped by this layer itself, not by the program (not traced).
    void Hold() { ++references_; }
    void Drop() {
        if (--references_ == 0) {
            delete this;
        }
    }

private:
    std::string addRefName_;
    std::string releaseName_;
    ULONG references_ = 1;
};

}  // namespace plat
