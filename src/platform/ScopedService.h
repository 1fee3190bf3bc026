#pragma once
// Installable services: the one installed, or a default when none is.
namespace polyvane {

template <typename Service> class ServiceSlot {
  public:
    // Installs `service` (null: back to the default) and returns the one installed before.
    Service* Install(Service* service) {
        Service* previous = m_current;
        m_current = service;
        return previous;
    }
    Service& Get(Service& fallback) const { return m_current ? *m_current : fallback; }

  private:
    Service* m_current = nullptr;
};

// Installs a service for the lifetime of a scope and puts the previous one back after it.

template <typename Service, Service* (*Install)(Service*)> class ScopedService {
  public:
    explicit ScopedService(Service& service) : m_previous(Install(&service)) {}
    ~ScopedService() { Install(m_previous); }
    ScopedService(const ScopedService&) = delete;
    ScopedService& operator=(const ScopedService&) = delete;

  private:
    Service* m_previous;
};

} // namespace polyvane
