#pragma once

#include "base/ErrorReporting.h"

#include <QDeadlineTimer>

#include <atomic>
#include <chrono>

class QSqlDatabase;
class QSqlError;

// Bounds the statements of one SQLite connection in time: SQLite's progress handler interrupts a
// statement once the deadline has passed or the work is cancelled, so a view that never ends
// fails instead of holding its thread.
struct StatementLimit
{
    static constexpr std::chrono::milliseconds Default{2000};

    QDeadlineTimer deadline{Default};
    const std::atomic<bool>* cancelled = nullptr; // may be null

    bool passed() const;
    // Watches the connection's statements from now on; the limit must outlive the connection.
    void watch(const QSqlDatabase& db);
};

// The database's error for the player: "Query timeout expired" for a statement the limit
// stopped, else SQLite's own text.
AppError statementError(const QSqlError& error);
