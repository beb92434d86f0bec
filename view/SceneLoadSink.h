#pragma once

#include "FailureSummary.h"
#include "FragmentSink.h"

#include <functional>

// The plate view's listener to a fragment load (Scene::loadFragment): the progress goes to
// the program-wide loading window (Instances::single<LoadDlg>(), when one exists at that moment),
// and the size each picture will be shown at is the view's answer, so that pictures decode once at
// the strip's size. The pictures themselves go to the scene. The failure that ended the load and
// the pictures that did not decode are told when the load has ended (showFailures).
class SceneLoadSink : public FragmentSink {
public:
    explicit SceneLoadSink(std::function<QSize(const BmpRect&)> shownSize);

    void setProgressRange(int minimum, int maximum) override;
    void stepProgress() override;
    bool sizesPictures() const override { return bool(m_shownSize); }
    QSize shownSize(const BmpRect& outline) override;
    void recordDone(RecordOutcome outcome) override;
    void pictureFailed(const QString& message, const QString& name) override;
    void loadFailed(const QString& message) override { m_loadFailure = message; }

    // The load has ended: the failure that ended it, then the pictures' failures in one
    // message (none: nothing). Forgets them.
    void showFailures();
    // A new load, or one that was cancelled: what was gathered is not told.
    void forgetFailures() {
        m_failures.clear();
        m_loadFailure.clear();
    }

private:
    std::function<QSize(const BmpRect&)> m_shownSize;
    FailureSummary m_failures;
    QString m_loadFailure;
};
