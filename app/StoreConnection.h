#pragma once

#include "words/WordStore.h"

#include <QString>

// The main window's hold on the one database connection: it creates and opens it at start-up and
// closes and releases it at shut-down. Tests stand in for it to make each of those steps fail.
class StoreConnection
{
public:
    virtual ~StoreConnection() = default;
    virtual void create() = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    virtual void open(const QString& databasePath) = 0;
    virtual void release() = 0;
};

// The real one: the word store's own connection.
class WordStoreConnection : public StoreConnection
{
public:
    explicit WordStoreConnection(WordStore& store) : store_(store) {}
    void create() override { store_.create(); }
    bool isOpen() const override { return store_.isOpen(); }
    void close() override { store_.close(); }
    void open(const QString& databasePath) override { store_.open(databasePath); }
    void release() override { store_.release(); }

private:
    WordStore& store_;
};
