// The host framework's component model: persistent objects, components with
// owners and removal notices.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zorvik {

class TObject {
public:
    virtual ~TObject() = default;
};

// A handler that receives the object raising the event.
using TNotifyEvent = std::function<void(TObject* Sender)>;

class TPersistent : public TObject {};

enum class TOperation { opInsert, opRemove };

// Component state flags.
enum : unsigned {
    csLoading = 1u << 0,
    csReading = 1u << 1,
    csWriting = 1u << 2,
    csDestroying = 1u << 3,
    csDesigning = 1u << 4,
};

// A component owns the components created with it as owner and releases them
// when it is destroyed. Components told of each other through
// FreeNotification hear of each other's destruction.
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return m_owner; }
    const std::string& Name() const { return m_name; }
    void SetName(const std::string& Value) { m_name = Value; }
    // A number for the application's own use.
    int32_t Tag() const { return m_tag; }
    void SetTag(int32_t Value) { m_tag = Value; }

    int ComponentCount() const { return static_cast<int>(m_components.size()); }
    TComponent* Components(int Index) const { return m_components.at(static_cast<size_t>(Index)); }

    unsigned ComponentState() const { return m_state; }
    bool isDesigning() const { return (m_state & csDesigning) != 0; }
    // Marks this component and everything it owns as running inside a form designer.
    void SetDesigning(bool Value);
    void SetLoading(bool Value);

    // Ask to be told (through Notification) when AComponent is destroyed; the
    // request is mutual.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    // Destroys every owned component, last first.
    void DestroyComponents();

    // Called after the component has been read from a form file.
    virtual void Loaded();
    // Told when a component is inserted into or removed from this component's
    // owner, or when a component this one asked about is destroyed.
    virtual void Notification(TComponent* AComponent, TOperation Operation);

protected:
    void Destroying() { m_state |= csDestroying; }

private:
    TComponent* m_owner = nullptr;
    std::string m_name;
    int32_t m_tag = 0;
    unsigned m_state = 0;
    std::vector<TComponent*> m_components;
    std::vector<TComponent*> m_freeNotifies;
};

}  // namespace zorvik
