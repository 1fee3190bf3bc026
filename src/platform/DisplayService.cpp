#include "DisplayService.h"

namespace polyvane {

namespace {
IDisplayService* g_displayService = nullptr;
}

IDisplayService* SetDisplayService(IDisplayService* service) {
    IDisplayService* previous = g_displayService;
    g_displayService = service;
    return previous;
}

IDisplayService& DisplayService() {
    static NoDisplayService none;
    return g_displayService ? *g_displayService : none;
}

} // namespace polyvane
