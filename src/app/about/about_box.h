// AboutBox: the start-up splash that doubles as the about box. Borderless and
// on top; it hides itself after three seconds (once), at a click on the
// picture, the lower panel or "Click to close", and at any key.
#pragma once

#include <QWidget>

class QLabel;
class QTimer;

class AboutBox : public QWidget {
  Q_OBJECT
 public:
  explicit AboutBox(QWidget* parent = nullptr);

  // The product's web page, opened by a click on the name or the link.
  static const char* const kWebAddress;

 public slots:
  // Timer1: the start-up splash hides after its time.
  void onSplashTimeout();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QLabel* m_image = nullptr;   // Image1
  QWidget* m_lower = nullptr;  // Panel3
  QLabel* m_name = nullptr;    // Label1
  QLabel* m_link = nullptr;    // Label6
  QLabel* m_close = nullptr;   // Label5
  QTimer* m_splashTimer = nullptr;
};
