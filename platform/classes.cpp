#include "platform/classes.h"

#include <algorithm>

namespace zorvik {

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner != nullptr) {
        if (AOwner->isDesigning()) m_state |= csDesigning;
        AOwner->InsertComponent(this);
    }
}

TComponent::~TComponent() {
    Destroying();
    // Tell everyone who asked; each forgets this component in its Notification.
    while (!m_freeNotifies.empty()) {
        TComponent* other = m_freeNotifies.back();
        m_freeNotifies.pop_back();
        auto& back = other->m_freeNotifies;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        other->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (m_owner != nullptr) m_owner->RemoveComponent(this);
}

void TComponent::SetDesigning(bool Value) {
    if (Value) m_state |= csDesigning;
    else m_state &= ~csDesigning;
    for (TComponent* c : m_components) c->SetDesigning(Value);
}

void TComponent::SetLoading(bool Value) {
    if (Value) m_state |= csLoading | csReading;
    else m_state &= ~(csLoading | csReading);
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (AComponent == nullptr || AComponent == this) return;
    if (std::find(m_freeNotifies.begin(), m_freeNotifies.end(), AComponent) == m_freeNotifies.end()) {
        m_freeNotifies.push_back(AComponent);
        AComponent->FreeNotification(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    auto it = std::find(m_freeNotifies.begin(), m_freeNotifies.end(), AComponent);
    if (it == m_freeNotifies.end()) return;
    m_freeNotifies.erase(it);
    AComponent->RemoveFreeNotification(this);
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (AComponent == nullptr || AComponent->m_owner == this) return;
    if (AComponent->m_owner != nullptr) AComponent->m_owner->RemoveComponent(AComponent);
    m_components.push_back(AComponent);
    AComponent->m_owner = this;
    Notification(AComponent, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    auto it = std::find(m_components.begin(), m_components.end(), AComponent);
    if (it == m_components.end()) return;
    Notification(AComponent, TOperation::opRemove);
    // The notification may have changed the list; look again.
    it = std::find(m_components.begin(), m_components.end(), AComponent);
    if (it != m_components.end()) m_components.erase(it);
    AComponent->m_owner = nullptr;
}

void TComponent::DestroyComponents() {
    while (!m_components.empty()) {
        TComponent* c = m_components.back();
        m_components.pop_back();
        c->m_owner = nullptr;
        delete c;
    }
}

void TComponent::Loaded() { SetLoading(false); }

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == TOperation::opRemove && AComponent != nullptr) {
        m_freeNotifies.erase(std::remove(m_freeNotifies.begin(), m_freeNotifies.end(), AComponent),
                             m_freeNotifies.end());
    }
    // Owned components hear of every insertion into and removal from their owner.
    const std::vector<TComponent*> owned = m_components;
    for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
        if (*it != AComponent &&
            std::find(m_components.begin(), m_components.end(), *it) != m_components.end()) {
            (*it)->Notification(AComponent, Operation);
        }
    }
}

}  // namespace zorvik
