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
  m_image = new QLabel(upper);
  m_image->setObjectName("Image1");
  m_image->setPixmap(QPixmap::fromImage(MakeSplashPicture()));
  m_image->setFixedSize(512, 384);
  upperLayout->addWidget(m_image);
  layout->addWidget(upper);

  m_lower = new QWidget(this);
  m_lower->setObjectName("Panel3");
  m_lower->setFixedHeight(165);
  m_lower->setAutoFillBackground(true);
  QPalette white = m_lower->palette();
  white.setColor(QPalette::Window, Qt::white);
  m_lower->setPalette(white);
  auto* lowerLayout = new QVBoxLayout(m_lower);
  m_name = new QLabel("Verdanthollow v2.0", m_lower);
  m_name->setObjectName("Label1");
  QFont nameFont = m_name->font();
  nameFont.setPixelSize(19);
  m_name->setFont(nameFont);
  m_name->setStyleSheet("color: blue;");
  m_name->setCursor(Qt::PointingHandCursor);
  m_link = new QLabel(QString::fromLatin1(kWebAddress), m_lower);
  m_link->setObjectName("Label6");
  QFont linkFont = m_link->font();
  linkFont.setUnderline(true);
  m_link->setFont(linkFont);
  m_link->setStyleSheet("color: blue;");
  m_link->setCursor(Qt::PointingHandCursor);
  m_close = new QLabel("Click to close", m_lower);
  m_close->setObjectName("Label5");
  lowerLayout->addWidget(m_name);
  lowerLayout->addWidget(m_link);
  lowerLayout->addStretch(1);
  lowerLayout->addWidget(m_close, 0, Qt::AlignRight | Qt::AlignBottom);
  layout->addWidget(m_lower);

  for (QWidget* w : std::initializer_list<QWidget*>{m_image, m_lower, m_name, m_link, m_close}) {
    w->installEventFilter(this);
  }

  m_splashTimer = new QTimer(this);
  m_splashTimer->setObjectName("Timer1");
  m_splashTimer->setInterval(3000);
  connect(m_splashTimer, &QTimer::timeout, this, &AboutBox::onSplashTimeout);
  m_splashTimer->start();
}

void AboutBox::onSplashTimeout() {
  // The splash hides once; later showings last until a click or a key.
  hide();
  m_splashTimer->stop();
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    if (watched == m_name || watched == m_link) {
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
