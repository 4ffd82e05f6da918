#include "WordStore.h"

// Placeholder until the store lands.
WordStore::WordStore(RandomSource&) {}
WordStore::~WordStore() = default;
void WordStore::create() {}
bool WordStore::isOpen() const { return false; }
void WordStore::close() {}
void WordStore::open(const QString&) {}
void WordStore::release() {}
bool WordStore::IsWordInDb(int, const QString&) { return false; }
QString WordStore::GetRandomDbWord(int) { return {}; }
