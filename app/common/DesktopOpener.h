#pragma once

#include <QString>

#include <functional>

// Hands a file to the desktop's default program for it. Behind an interface so
// tests never launch anything.
class DesktopOpener {
public:
    // Why a launch that had started failed afterwards.
    enum class Failure {
        NoProgramForFile,  // the desktop has no program for this kind of file
        NoOpener,          // the desktop's opener itself could not be started
    };
    using FailureHandler = std::function<void(const QString& path, Failure failure)>;

    virtual ~DesktopOpener() = default;
    // True when the desktop accepted the file, or (for openers that only learn
    // later whether it worked) when the launch started; a later failure goes
    // to the failure handler.
    virtual bool Open(const QString& path) = 0;

    void SetFailureHandler(FailureHandler handler) { m_onFailure = std::move(handler); }

protected:
    void ReportFailure(const QString& path, Failure failure) const
    {
        if (m_onFailure)
            m_onFailure(path, failure);
    }

private:
    FailureHandler m_onFailure;
};
