// What every object of the server shares: its reference count, its hold on
// the module for as long as it lives, and aggregation. A stand-alone object
// answers IUnknown itself; an aggregated one hands every IUnknown call of
// its interfaces to the outer object and keeps its own count behind a
// separate, non-delegating IUnknown that only the outer object holds.
//
// Objects live in one apartment, so the count needs no lock.
#pragma once

#include "ComModule.h"
#include "InterfaceTable.h"

class ComObjectRoot {
public:
    ComObjectRoot(const ComObjectRoot&) = delete;
    ComObjectRoot& operator=(const ComObjectRoot&) = delete;

    // Asks a new object (count 0) for `iid`: through the non-delegating
    // IUnknown when aggregated, so the outer object gets the inner one. A
    // failed request destroys the object.
    static HRESULT HandOut(ComObjectRoot* object, REFIID iid, void** out);

protected:
    ComObjectRoot(ComModule& module, IUnknown* outer);
    virtual ~ComObjectRoot();

    // The object's interface table; the first entry answers IUnknown.
    virtual const InterfaceEntry* Interfaces(size_t& count) const = 0;
    // The address the table's offsets start from (the most derived object).
    virtual void* TableBase() = 0;

    // What the interfaces' own IUnknown methods call.
    HRESULT OuterQueryInterface(REFIID iid, void** out);
    ULONG OuterAddRef();
    ULONG OuterRelease();

private:
    HRESULT InternalQueryInterface(REFIID iid, void** out);
    ULONG InternalAddRef() { return ++m_refs; }
    ULONG InternalRelease();

    class NonDelegatingUnknown : public IUnknown {
    public:
        explicit NonDelegatingUnknown(ComObjectRoot& owner) : m_owner(owner) {}
        STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
        STDMETHODIMP_(ULONG) AddRef() override { return m_owner.InternalAddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return m_owner.InternalRelease(); }

    private:
        ComObjectRoot& m_owner;
    };

    ComModule& m_module;
    IUnknown* m_outer;  // not counted: the outer object owns us
    ULONG m_refs = 0;
    NonDelegatingUnknown m_inner;
};
