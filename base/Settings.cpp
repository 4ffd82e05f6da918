#include "Settings.h"

#include "Branding.h"

#include <QSettings>

namespace {
const QString Key = QStringLiteral("Text1");

} // namespace

QString QuestionCountSetting::load() const
{
    QSettings settings(QSettings::UserScope, Branding::SettingsApplication);
    settings.beginGroup(Branding::ProductName);
    return settings.value(Key, Default).toString();
}

void QuestionCountSetting::store(const QString& text)
{
    QSettings settings(QSettings::UserScope, Branding::SettingsApplication);
    settings.beginGroup(Branding::ProductName);
    settings.setValue(Key, text);
}
