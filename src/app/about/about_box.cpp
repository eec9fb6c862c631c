#include "app/about/about_box.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "app/about/splash_picture.h"

const char* const AboutBox::kWebAddress = "https://verdanthollow.example/";

AboutBox::AboutBox(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("Form2");
  setWindowTitle("About Verdanthollow");
  setFixedSize(518, 555);
  move(421, 250);
  setFocusPolicy(Qt::StrongFocus);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(3, 3, 3, 3);
  layout->setSpacing(0);

  auto* upper = new QWidget(this);
  upper->setObjectName("Panel2");
  auto* upperLayout = new QVBoxLayout(upper);
  upperLayout->setContentsMargins(0, 0, 0, 0);
  image_ = new QLabel(upper);
  image_->setObjectName("Image1");
  image_->setPixmap(QPixmap::fromImage(MakeSplashPicture()));
  image_->setFixedSize(512, 384);
  upperLayout->addWidget(image_);
  layout->addWidget(upper);

  lower_ = new QWidget(this);
  lower_->setObjectName("Panel3");
  lower_->setFixedHeight(165);
  lower_->setAutoFillBackground(true);
  QPalette white = lower_->palette();
  white.setColor(QPalette::Window, Qt::white);
  lower_->setPalette(white);
  auto* lowerLayout = new QVBoxLayout(lower_);
  name_ = new QLabel("Verdanthollow v2.0", lower_);
  name_->setObjectName("Label1");
  QFont nameFont = name_->font();
  nameFont.setPixelSize(19);
  name_->setFont(nameFont);
  name_->setStyleSheet("color: blue;");
  name_->setCursor(Qt::PointingHandCursor);
  link_ = new QLabel(QString::fromLatin1(kWebAddress), lower_);
  link_->setObjectName("Label6");
  QFont linkFont = link_->font();
  linkFont.setUnderline(true);
  link_->setFont(linkFont);
  link_->setStyleSheet("color: blue;");
  link_->setCursor(Qt::PointingHandCursor);
  close_ = new QLabel("Click to close", lower_);
  close_->setObjectName("Label5");
  lowerLayout->addWidget(name_);
  lowerLayout->addWidget(link_);
  lowerLayout->addStretch(1);
  lowerLayout->addWidget(close_, 0, Qt::AlignRight | Qt::AlignBottom);
  layout->addWidget(lower_);

  for (QWidget* w : std::initializer_list<QWidget*>{image_, lower_, name_, link_, close_}) {
    w->installEventFilter(this);
  }

  splashTimer_ = new QTimer(this);
  splashTimer_->setObjectName("Timer1");
  splashTimer_->setInterval(3000);
  connect(splashTimer_, &QTimer::timeout, this, &AboutBox::onSplashTimeout);
  splashTimer_->start();
}

void AboutBox::onSplashTimeout() {
  // The splash hides once; later showings last until a click or a key.
  hide();
  splashTimer_->stop();
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    if (watched == name_ || watched == link_) {
      QDesktopServices::openUrl(QUrl(QString::fromLatin1(kWebAddress)));
      return true;
    }
    hide();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void AboutBox::keyPressEvent(QKeyEvent*) { hide(); }

void AboutBox::mousePressEvent(QMouseEvent*) { hide(); }
