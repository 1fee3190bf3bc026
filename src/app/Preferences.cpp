#include "Preferences.h"

#include "CommandTable.h"
#include "platform/UndoHistory.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

namespace polyvane {

static_assert(static_cast<std::size_t>(Preferences::kDefaultHistoryMiB) << 20 ==
              UndoHistory::kDefaultByteLimit);

namespace {
constexpr const char* kHistoryKey = "Preferences/HistoryMiB";

QSettings Settings() {
    return QSettings(QString::fromUtf8(resources::kCompanyKey), QString::fromUtf8(resources::kAppName));
}
} // namespace

Preferences Preferences::Load() {
    Preferences preferences;
    bool ok = false;
    const int mib = Settings().value(QString::fromUtf8(kHistoryKey)).toInt(&ok);
    if (ok && mib >= 1 && mib <= kMaxHistoryMiB)
        preferences.historyMiB = mib;
    return preferences;
}

void Preferences::Save() const {
    Settings().setValue(QString::fromUtf8(kHistoryKey), historyMiB);
}

CPreferencesDlg::CPreferencesDlg(const Preferences& preferences, QWidget* parent)
    : QDialog(parent), m_preferences(preferences), m_historyMiB(new QSpinBox(this)) {
    setWindowTitle(QStringLiteral("Preferences"));
    m_historyMiB->setRange(1, Preferences::kMaxHistoryMiB);
    m_historyMiB->setSuffix(QStringLiteral(" MiB"));
    m_historyMiB->setValue(preferences.historyMiB);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Undo history limit:"), m_historyMiB);
    auto* note = new QLabel(QStringLiteral("Each open model's history keeps its steps up to this size; "
                                           "beyond it the oldest steps are dropped."),
                            this);
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(buttons);
}

Preferences CPreferencesDlg::Chosen() const {
    Preferences chosen = m_preferences;
    chosen.historyMiB = m_historyMiB->value();
    return chosen;
}

} // namespace polyvane
