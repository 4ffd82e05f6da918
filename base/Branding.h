#pragma once

#include <QString>

// Names and addresses that identify the program to the player.
namespace Branding {

inline const QString ProductName = QStringLiteral("Lexitor Trainer Software");
// The settings store is addressed by application, section and key.
inline const QString SettingsApplication = QStringLiteral("Quenmark");
inline const QString SupportAddress = QStringLiteral("support@quenmark.example");
inline const QString HomePage = QStringLiteral("https://quenmark.example/lexitor-trainer/");
// The desktop entry's name (without ".desktop"); also cmake/Install.cmake's LEXITOR_APP_ID.
inline const QString DesktopFileName = QStringLiteral("example.quenmark.LexitorTrainer");
// Every error report names its procedure under this program-wide prefix.
inline const QString LocationPrefix = QStringLiteral("in LexitorTrainer2021/08/31.");

} // namespace Branding
