#pragma once

#include "platform/programstart.h"

#include <stdexcept>
#include <string>

namespace kerulo {

/// A start in memory: says whether another copy runs, counts entries into the folder and fails
/// them when told to.
class FakeProgramStart : public ProgramStart {
public:
    bool claimSession() override { return !m_otherCopyRuns; }
    void enterSettingsFolder() override {
        if (!m_folderFailure.empty())
            throw std::runtime_error(m_folderFailure);
        ++m_folderEntries;
    }

    void letOtherCopyRun() { m_otherCopyRuns = true; }
    void failFolder(const std::string& why) { m_folderFailure = why; }
    int folderEntries() const { return m_folderEntries; }

private:
    bool m_otherCopyRuns = false;
    std::string m_folderFailure;
    int m_folderEntries = 0;
};

} // namespace kerulo
