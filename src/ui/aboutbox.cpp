#include "ui/aboutbox.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace veltra {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    auto* layout = new QVBoxLayout(this);
    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    auto* lines = new QVBoxLayout(panel);
    auto* icon = new QLabel(panel);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/veltra.svg")).pixmap(48, 48));
    lines->addWidget(icon, 0, Qt::AlignHCenter);
    auto* title = new QLabel(QStringLiteral("<b>VELTRA</b>"), panel);
    lines->addWidget(title, 0, Qt::AlignHCenter);
    lines->addWidget(new QLabel(QStringLiteral("The VELTRA developers"), panel), 0,
                     Qt::AlignHCenter);
    lines->addWidget(new QLabel(QStringLiteral("Maio 1997"), panel), 0, Qt::AlignHCenter);
    lines->addWidget(new QLabel(QStringLiteral("Version 1.0"), panel), 0, Qt::AlignHCenter);
    layout->addWidget(panel);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept); // OKButtonClick
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    setFixedSize(sizeHint().expandedTo(QSize(260, 0)));
}

} // namespace veltra
