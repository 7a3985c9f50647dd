#include "ui/dialogs/stepworker.h"

#include "execution/stepbound.h"
#include "model/dados.h"
#include "model/netwalk.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QProgressDialog>
#include <QShortcutEvent>
#include <QTimer>
#include <algorithm>
#include <exception>
#include <string>
#include <thread>
#include <vector>

namespace veltra {

int TStepWorker::ProgressDelayMs = 500;
long long TStepWorker::WorkerDigits = 50000; // a product of two such numbers: some milliseconds

namespace {

// Holds back, for as long as it lives, every input that could change a net or close a window,
// except on the widgets it lets through; Escape, wherever it is pressed, stops.
class TInputHold final : public QObject {
public:
    TInputHold(std::initializer_list<QWidget*> open, std::function<void()> stop)
        : open_(open), stop_(std::move(stop)) {
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
        default:
            break;
        }
        // Input from the window system reaches a window first, which hands it on to the widget
        // under the mouse or with the focus: it is judged there, so that the window passes a
        // click on Stop on. (Held at the window, nothing would reach Stop but its shortcut.)
        if (watched->isWindowType()) return false;
        // Escape as a key, or as the shortcut some window gave it.
        const bool escape =
            (event->type() == QEvent::KeyPress &&
             static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
             static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) ||
            (event->type() == QEvent::Shortcut &&
             static_cast<QShortcutEvent*>(event)->key() == QKeySequence(Qt::Key_Escape));
        if (escape) {
            if (stop_) stop_();
            return true;
        }
        switch (event->type()) {
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
    std::function<void()> stop_;
};

} // namespace

struct TStepWorker::TBatch {
    struct Sender {
        // Its value is read through the element every time: a step plan made afresh (after an
        // edit, or when another net's plan takes a shared inner net) moves the values.
        const TProtoNeuronio* element;
        std::int64_t weightDigits; // the most digits of a weight it sends through
    };
    bool open = false;
    const TRede* net = nullptr; // the shape below is of this net; null: none gathered
    std::vector<Sender> senders;
    std::int64_t countDigits = 0; // the digits of the number of products a step adds up

    void Gather(const TProtoLista& list, std::int64_t& products) {
        // As the exact bound walks the net: module insides at the module's place, outputs
        // send nothing, products into a module are not summed by the step.
        VisitDeep(list, [&](const TProtoNeuronio& e) {
            if (e.Kind() == TElementKind::Module || e.Kind() == TElementKind::Output) return;
            std::int64_t most = -1;
            for (const TSinapse* s : e.OutgoingSynapses()) {
                const TProtoNeuronio* to = s->Destination();
                if (to == nullptr || to->Kind() == TElementKind::Module) continue;
                const TInfinito::TDigits w = s->Weight().Digits();
                most = std::max(most, w.whole + w.fraction);
                ++products;
            }
            if (most < 0) return;
            senders.push_back({&e, most});
        });
    }
};

TStepWorker::TStepWorker(QWidget* stop, QWidget* parent, std::function<void()> cancel)
    : batch_(std::make_shared<TBatch>()), stop_(stop), parent_(parent), cancel_(std::move(cancel)) {
}

void TStepWorker::Open() {
    batch_->open = true;
}

void TStepWorker::Close() {
    batch_->open = false;
    batch_->net = nullptr;
    batch_->senders.clear();
}

bool TStepWorker::SurelyShort(const TRede& net) {
    TBatch& batch = *batch_;
    if (batch.net != &net) {
        batch.senders.clear();
        std::int64_t products = 0;
        batch.Gather(net.Elements(), products);
        batch.countDigits = static_cast<std::int64_t>(std::to_string(products).size());
        batch.net = &net;
    }
    // A sum's digits before the point are at most those of its longest product, its digits
    // after it likewise, plus the digits of how many products it adds up; a product has at
    // most the digits of its two factors together. The longest product bounds both parts.
    std::int64_t longest = 0;
    for (const TBatch::Sender& s : batch.senders) {
        const TInfinito& value = s.element->GetValue();
        longest = std::max(longest, value.DigitSpan() + s.weightDigits);
    }
    return 2 * longest + batch.countDigits < WorkerDigits;
}

bool TStepWorker::operator()(TDados& document, const std::atomic<bool>& cancel) {
    TRede& net = document.Net();
    // Here, on the GUI thread: making the step plan moves the values, which a repaint may read
    // while the worker computes.
    net.PrepareStep();
    if ((batch_->open && SurelyShort(net)) || NextStepDigitBound(net.Elements()) < WorkerDigits) {
        net.Step();
        return true;
    }
    // The event loop runs while the worker computes: the next steps gather the shape afresh.
    Close();
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
        TInputHold hold({stop_.data(), &progress}, [this] {
            if (cancel_) cancel_();
        });
        loop.exec();
    }
    worker.join();
    if (failure) std::rethrow_exception(failure);
    if (cancelled) return false;
    net.Commit();
    return true;
}

} // namespace veltra
