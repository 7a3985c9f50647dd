#include "ui/exportimage.h"

#include "model/dados.h"
#include "ui/clipboard.h"
#include "ui/desktophost.h"
#include "ui/drawingtexts.h"
#include "ui/drawingwindow.h"
#include "ui/netrender.h"
#include "ui/prompter.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QMenu>
#include <sstream>

namespace veltra {

TExportImageDialog::TExportImageDialog(QWidget* parent)
    : QDialog(parent), scale_(new QDoubleSpinBox(this)) {
    setObjectName(QStringLiteral("ExportImageDialog"));
    setWindowTitle(QStringLiteral("Export Image"));
    scale_->setObjectName(QStringLiteral("ExportScale"));
    scale_->setRange(10, 800);
    scale_->setDecimals(0);
    scale_->setSingleStep(25);
    scale_->setSuffix(QStringLiteral("%"));
    scale_->setValue(100);
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Scale:"), scale_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void AddExportImageItem(TDesktopHost& host, QMenu& file) {
    auto* item = new QAction(QStringLiteral("Export &Image..."), &file);
    item->setObjectName(QStringLiteral("FileExportImageItem"));
    item->setStatusTip(QStringLiteral("Save a picture of the current net or its selection"));
    QAction* before = nullptr;
    for (QAction* a : file.actions())
        if (a->objectName() == QLatin1String("N1")) before = a;
    file.insertAction(before, item);
    QObject::connect(item, &QAction::triggered, &host.MainWindow(),
                     [&host] { ExportImageItemClick(host); });
}

void ExportImageItemClick(TDesktopHost& host) {
    TPrompter& prompter = host.Prompter();
    TDrawingWindow* child = host.ActiveDrawing();
    if (child == nullptr) {
        prompter.Message(&host.MainWindow(),
                         QStringLiteral("You need a net window open to do this."));
        return;
    }
    const QString base = child->FilePath().isEmpty()
                             ? child->Caption()
                             : QFileInfo(child->FilePath()).completeBaseName();
    TFileRequest request;
    request.title = QStringLiteral("Export Image");
    request.filter = QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)");
    request.defaultSuffix = QStringLiteral("png");
    request.proposed = base + QStringLiteral(".png");
    const QString path = prompter.SaveFileName(&host.MainWindow(), request);
    if (path.isEmpty()) return;
    TExportImageDialog dialog(&host.MainWindow());
    if (prompter.ExecDialog(dialog) != QDialog::Accepted) return;
    TRenderOptions options;
    options.scale = dialog.Scale().value() / 100.0;
    options.texts = DrawingTexts();
    std::string error;
    if (child->SelectionEmpty()) {
        error = ExportNetImage(child->Document().Elements(), path, options);
    } else {
        // The selection is pictured as Copy would put it on the clipboard: its elements
        // where they stand and the synapses among them, framed by their own bounds.
        TDados part;
        std::istringstream in(SelectionText(*child));
        error = part.Load(in);
        if (error.empty()) error = ExportNetImage(part.Elements(), path, options);
    }
    if (!error.empty()) prompter.Message(&host.MainWindow(), QString::fromStdString(error));
}

} // namespace veltra
