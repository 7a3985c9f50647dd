#include "ui/dialogs/stepworker.h"

#include "execution/stepbound.h"
#include "model/dados.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <exception>
#include <thread>

namespace veltra {

int TStepWorker::ProgressDelayMs = 500;
long long TStepWorker::WorkerDigits = 50000; // a product of two such numbers: some milliseconds

namespace {

// Holds back, for as long as it lives, every input that could change a net or close a window,
// except on the widgets it lets through.
class TInputHold final : public QObject {
public:
    explicit TInputHold(std::initializer_list<QWidget*> open) : open_(open) {
        qApp->installEventFilter(this);
    }
    ~TInputHold() override { qApp->removeEventFilter(this); }
    TInputHold(const TInputHold&) = delete;
    TInputHold& operator=(const TInputHold&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Close:
            event->ignore();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
            return !Open(watched);
        default:
            return false;
        }
    }

private:
    bool Open(QObject* watched) const {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr) return false;
        for (QWidget* open : open_)
            if (open != nullptr && (widget == open || open->isAncestorOf(widget))) return true;
        return false;
    }

    std::vector<QWidget*> open_;
};

} // namespace

TStepWorker::TStepWorker(QWidget* stop, QWidget* parent, std::function<void()> cancel)
    : stop_(stop), parent_(parent), cancel_(std::move(cancel)) {}

bool TStepWorker::operator()(TDados& document, const std::atomic<bool>& cancel) {
    TRede& net = document.Net();
    if (NextStepDigitBound(net.Elements()) < WorkerDigits) {
        net.Step();
        return true;
    }
    std::exception_ptr failure;
    bool cancelled = false;
    QEventLoop loop;
    std::thread worker([&] {
        try {
            TCancelScope scope(cancel);
            net.Propagate();
        } catch (const TCancelled&) {
            cancelled = true;
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    {
        QProgressDialog progress(QStringLiteral("Computing a step..."), QStringLiteral("&Stop"), 0,
                                 0, parent_);
        progress.setObjectName(QStringLiteral("StepProgress"));
        progress.setWindowTitle(QStringLiteral("Execution Browser"));
        progress.setWindowModality(Qt::NonModal);
        progress.setMinimumDuration(0);
        progress.setAutoReset(false);
        progress.setAutoClose(false);
        progress.reset(); // a progress dialog shows itself unless reset after construction
        progress.hide();
        QObject::connect(&progress, &QProgressDialog::canceled, [this] {
            if (cancel_) cancel_();
        });
        QTimer show;
        show.setSingleShot(true);
        QObject::connect(&show, &QTimer::timeout, [&progress] {
            progress.setRange(0, 0);
            progress.show();
        });
        show.start(ProgressDelayMs);
        TInputHold hold{stop_.data(), &progress};
        loop.exec();
    }
    worker.join();
    if (failure) std::rethrow_exception(failure);
    if (cancelled) return false;
    net.Commit();
    return true;
}

} // namespace veltra
