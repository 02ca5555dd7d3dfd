/* Quillomar skin: a Qt style sheet. Every rule names its window by object
   name and reaches controls with ">", so message boxes and dialogs parented
   to a window keep the plain look. */

QWidget#Form1 {
  background-color: #ece9d8;
}

QWidget#Form1 > QGroupBox,
QWidget#Form2 > QGroupBox {
  background-color: #ece9d8;
  border: 1px solid #a0a0a0;
  border-radius: 4px;
  margin-top: 8px;
  padding-top: 6px;
}

QWidget#Form1 > QGroupBox::title,
QWidget#Form2 > QGroupBox::title {
  subcontrol-origin: margin;
  left: 8px;
  padding: 0 3px;
  color: #1f3f7f;
}

QWidget#Form1 > QPushButton,
QWidget#Form1 > QGroupBox > QPushButton,
QWidget#Form2 > QPushButton,
QWidget#Form2 > QGroupBox > QPushButton {
  background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1,
                                    stop: 0 #ffffff, stop: 1 #dcdcd0);
  color: #000000;
  border: 1px solid #7a7a7a;
  border-radius: 3px;
}

QWidget#Form1 > QPushButton:hover,
QWidget#Form1 > QGroupBox > QPushButton:hover,
QWidget#Form2 > QPushButton:hover,
QWidget#Form2 > QGroupBox > QPushButton:hover {
  border: 1px solid #e0a020;
}

QWidget#Form1 > QPushButton:pressed,
QWidget#Form1 > QGroupBox > QPushButton:pressed,
QWidget#Form2 > QPushButton:pressed,
QWidget#Form2 > QGroupBox > QPushButton:pressed {
  background-color: #d0d0c4;
}

QWidget#Form1 > QGroupBox > QRadioButton,
QWidget#Form1 > QGroupBox > QLabel {
  background-color: transparent;
}

/* The option circles are drawn here, as small as the designed boxes need:
   the platform's indicator and gap are wider and would cut the captions. */
QWidget#Form1 > QGroupBox > QRadioButton {
  spacing: 3px;
}

QWidget#Form1 > QGroupBox > QRadioButton::indicator {
  width: 11px;
  height: 11px;
  border: 1px solid #7f9db9;
  border-radius: 6px;
  background-color: #ffffff;
}

QWidget#Form1 > QGroupBox > QRadioButton::indicator:checked {
  background-color: qradialgradient(cx: 0.5, cy: 0.5, radius: 0.5, fx: 0.5, fy: 0.5,
                                    stop: 0 #1f3f7f, stop: 0.45 #1f3f7f,
                                    stop: 0.55 #ffffff, stop: 1 #ffffff);
}

QWidget#Form1 > QGroupBox > QLineEdit {
  border: 1px solid #7f9db9;
  background-color: #ffffff;
  padding: 1px;
}
