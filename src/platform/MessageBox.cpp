#include "MessageBox.h"

namespace polyvane {

namespace {
IMessageBox* g_service = nullptr;
}

HeadlessMessageBox& DefaultHeadlessMessageBox() {
    static HeadlessMessageBox box;
    return box;
}

IMessageBox* SetMessageBoxService(IMessageBox* box) {
    IMessageBox* previous = g_service;
    g_service = box;
    return previous;
}

IMessageBox& MessageBoxService() {
    return g_service ? *g_service : DefaultHeadlessMessageBox();
}

void AfxMessageBox(std::string_view text) {
    MessageBoxService().Show(text);
}

bool AfxAskYesNo(std::string_view text) {
    return MessageBoxService().AskYesNo(text);
}

} // namespace polyvane
