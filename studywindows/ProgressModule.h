#pragma once

#include "progress/ProgressView.h"

#include <QString>

#include <future>
#include <memory>

// Loads the progress window's module (Qt Charts and all) the first time the window opens. Tried
// once; when it will not load, the player is told and the program goes on.
class ProgressModule
{
public:
    static QString moduleFileName();
    explicit ProgressModule(QString programFolder);
    ~ProgressModule();
    ProgressModule(const ProgressModule&) = delete;
    ProgressModule& operator=(const ProgressModule&) = delete;
    // Starts loading the module on another thread, so that the figures can be worked out
    // meanwhile; nothing once it has been tried.
    void startLoading();
    // A new view, or null with errorString() set.
    std::unique_ptr<ProgressView> create(ProgressActions* actions, QWidget* parent);
    QString errorString() const { return error_; }

private:
    struct Loaded
    {
        ProgressViewFactory factory = nullptr;
        QString error;
    };
    QString modulePath_;
    std::future<Loaded> loading_; // valid until taken up by create()
    bool tried_ = false;
    ProgressViewFactory factory_ = nullptr;
    QString error_;
};
