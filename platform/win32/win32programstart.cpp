#include "platform/win32/win32programstart.h"

#include "platform/settingsfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <shlobj.h>

#include <stdexcept>

namespace kerulo {

namespace {
QString roamingAppData() {
    PWSTR path = nullptr;
    const HRESULT found = SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &path);
    const QString folder = SUCCEEDED(found) ? QString::fromWCharArray(path) : QString();
    CoTaskMemFree(path);
    if (folder.isEmpty())
        throw std::runtime_error("Windows did not tell where the user's application data is.");
    return QDir::fromNativeSeparators(folder);
}
} // namespace

Win32ProgramStart::~Win32ProgramStart() {
    if (m_running)
        CloseHandle(m_running);
}

// The mutex lives as long as the process: it falls with it, however the program ends.
bool Win32ProgramStart::claimSession() {
    if (m_running)
        return true;
    HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Local\\Kerulo.Running");
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    // Without a mutex (Windows refused one) the program runs rather than not at all.
    m_running = mutex;
    return true;
}

void Win32ProgramStart::enterSettingsFolder() {
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (!QFileInfo::exists(QDir(programFolder).filePath(QStringLiteral("kerulo.installed"))))
        return;
    const QString folder = roamingAppData() + QStringLiteral("/Kerulo");
    SettingsFolder::fill(programFolder, folder);
    if (!QDir::setCurrent(folder))
        throw std::runtime_error("Cannot enter the settings folder " +
                                 QDir::toNativeSeparators(folder).toStdString());
}

} // namespace kerulo
