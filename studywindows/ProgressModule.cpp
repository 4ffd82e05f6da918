#include "studywindows/ProgressModule.h"

#include <QDir>
#include <QLibrary>

QString ProgressModule::moduleFileName()
{
    return QStringLiteral(LEXITOR_PROGRESS_MODULE);
}

ProgressModule::ProgressModule(QString programFolder)
    : modulePath_(QDir(programFolder).filePath(moduleFileName()))
{}

ProgressModule::~ProgressModule()
{
    if (loading_.valid())
        loading_.wait();
}

void ProgressModule::startLoading()
{
    if (tried_ || loading_.valid())
        return;
    loading_ = std::async(std::launch::async, [path = modulePath_] {
        // Never unloaded: Qt Charts keeps static data that must outlive every chart.
        QLibrary module(path);
        module.setLoadHints(QLibrary::PreventUnloadHint);
        const auto factory =
            reinterpret_cast<ProgressViewFactory>(module.resolve(LEXITOR_PROGRESS_FACTORY));
        return Loaded{factory, factory ? QString() : module.errorString()};
    });
}

std::unique_ptr<ProgressView> ProgressModule::create(ProgressActions* actions, QWidget* parent)
{
    if (!tried_) {
        startLoading();
        const Loaded loaded = loading_.get();
        tried_ = true;
        factory_ = loaded.factory;
        error_ = loaded.error;
    }
    if (!factory_)
        return nullptr;
    return std::unique_ptr<ProgressView>(factory_(actions, parent));
}
