#include "MessageBox.h"

#include <utility>

namespace polyvane {

namespace {
IMessageBox* g_service = nullptr;
std::string g_subject;
} // namespace

ScopedMessageSubject::ScopedMessageSubject(std::string subject) : m_previous(std::move(subject)) {
    g_subject.swap(m_previous);
}

ScopedMessageSubject::~ScopedMessageSubject() {
    g_subject.swap(m_previous);
}

const std::string& MessageSubject() {
    return g_subject;
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
