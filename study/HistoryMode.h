#pragma once

// What a history does with its file, decided when it opens and changed only by what the file
// then does (a write that fails for a lasting cause, a damaged file moved aside, a list switch).
enum class HistoryMode
{
    Untried,  // not opened yet: no states read, nothing written
    Writable, // answers go to the file
    ReadOnly, // the file can't be written for now: answers wait for it, its states still read
    InMemory, // no file (on purpose, or one that can't be kept): answers last this run only
    Foreign   // another program's database: left exactly as it is, answers kept in memory
};

// Answers go to the file, at once or as soon as it takes them.
constexpr bool keepsFile(HistoryMode mode)
{
    return mode == HistoryMode::Writable || mode == HistoryMode::ReadOnly;
}
