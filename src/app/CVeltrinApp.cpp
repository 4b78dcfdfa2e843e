#include "app/CVeltrinApp.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <malloc.h>
#include <memory>
#include <optional>
#include <vector>

#include "app/AppData.h"
#include "app/CMainDialog.h"
#include "app/QtSignalWatcher.h"
#include "app/QtSingleInstance.h"
#include "app/WindowRules.h"
#include "controls/QtThemeIcons.h"
#include "documents/QtEditorModule.h"
#include "imaging/QtSkinResources.h"
#include "platform/DataLocation.h"
#include "platform/InstanceLock.h"
#include "platform/ModuleFolder.h"
#include "platform/QtServices.h"
#include "storage/DataFile.h"

namespace veltrin {

int CVeltrinApp::InitInstance(int argc, char** argv) {
    PrepareDocumentEngine();

    // The data folder is chosen and locked before the window system starts,
    // so that its files are read meanwhile; what goes wrong is told once
    // messages can be shown.
    std::string badArgument;
    const std::string requested =
        DataArgument(std::vector<std::string>(argv + std::min(argc, 1), argv + argc), &badArgument);
    const DataFolderChoice choice =
        ChooseDataFolder(ExecutablePath(), requested, std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    const DataFolderState state =
        badArgument.empty() ? PrepareDataFolder(choice.folder) : DataFolderState::Failed;
    if (state != DataFolderState::Failed) SetDataFolderChoice(choice);
    // One program per data folder: a second start hands over to the first
    // and ends without loading or writing anything.
    const std::string dataFolder = DataFolder();
    InstanceLock lock;
    const bool locked = state != DataFolderState::Failed && lock.acquire(dataFolder);
    AppData data;
    std::optional<RecordsReadAhead> reading;
    if (locked) {
        // Holding the lock, nothing else stores here: temporaries are leftovers
        // of stores that were killed. Without a lock that is not known.
        if (lock.held()) RemoveStaleTemporaries(dataFolder);
        reading.emplace(data);
    }
    // A window shown at start loads the GL driver as it is first made.
    const DriverWarmUp warmUp = locked && !IsAutorunStart(std::vector<std::string>(argv, argv + argc))
                                    ? EditorSurfaceDriverWarmUp()
                                    : nullptr;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltrin"));
    // Desktops match the window to its menu entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(VELTRIN_APP_ID));
    QApplication::setQuitOnLastWindowClosed(false);  // hiding in the tray is not quitting
    QApplication::setWindowIcon(ApplicationIcon());
    UseProgramIconTheme();

    QtServices services;

    if (!badArgument.empty()) {
        messages().show(badArgument, "Veltrin", Messages::Icon::Exclamation, Messages::Buttons::Ok);
        return 2;
    }
    if (state == DataFolderState::Failed) {
        messages().show("Cannot create the data folder \"" + choice.folder + "\".", "Veltrin",
                        Messages::Icon::Exclamation, Messages::Buttons::Ok);
        return 1;
    }
    const QString key = QString::fromStdString(InstanceLock::keyFor(dataFolder));
    if (!locked) {
        if (!QtSingleInstance::notifyRunning(key))
            messages().show("Veltrin is already running with the data folder \"" + dataFolder +
                                "\", but does not answer.",
                            "Veltrin", Messages::Icon::Exclamation, Messages::Buttons::Ok);
        return 0;
    }
    // A signal before the window exists ends the start without writing:
    // the data may be only partly loaded.
    QtSignalWatcher watcher;
    QObject::connect(&watcher, &QtSignalWatcher::endRequested, [] {
        QtMessages::setEnding(true);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible()) d->done(QDialog::Rejected);
    });

    // The GL driver a window shown at start loads as it is first made is
    // loaded while this thread would only wait for the files. Not on a
    // thread of its own: the loader serves one thread at a time, and the
    // window being built would wait for it.
    reading->Finish(state == DataFolderState::Created, warmUp);
    if (watcher.received()) return 0;

    const QStringList arguments = QApplication::arguments();
    auto dialog = std::make_unique<CMainDialog>(data, arguments);
    QObject::connect(&watcher, &QtSignalWatcher::endRequested, dialog.get(), &CMainDialog::EndSession);
    // Listening only now: a program that answers has its window, so an ending
    // signal from then on saves; a second start knocks until it answers.
    QtSingleInstance instance(key);
    QObject::connect(&instance, &QtSingleInstance::activationRequested, dialog.get(),
                     &CMainDialog::RestoreFromTray);
    instance.listen();
    // The window's editors load while it is built, so an ending signal may
    // arrive before the window can take it: end the session with a save.
    if (watcher.received()) QTimer::singleShot(0, dialog.get(), &CMainDialog::EndSession);
    // The loads' read buffers and the records copied while the window was
    // built are free now, scattered through the heap; the allocator would
    // keep their pages for the whole day in the tray.
    QTimer::singleShot(0, [] { malloc_trim(0); });
    dialog->RunSession();
    dialog->FinalSave();
    // Everything is on disk now. Handing the memory of every record and
    // window back piece by piece would only keep the user (or the session
    // manager) waiting, so the process ends here; only what outlives it
    // (the socket file, the lock) is let go first.
    instance.close();
    lock.release();
    std::fflush(nullptr);
    std::_Exit(0);
}

}  // namespace veltrin
