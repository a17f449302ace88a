// Numeric entry boxes: one place that reads a box as a whole number and,
// when it is not one or lies outside its range, shows the message, gives the
// box the focus with its text selected, and refuses it.
#pragma once

#include <QString>
#include <cstdint>

class QLineEdit;

namespace veska::dialogs {

inline constexpr char kNotAPositiveInteger[] = "Please enter a positive integer.";
inline constexpr char kIntegerBetween[] = "Please enter an integer between %1 and %2.";
inline constexpr char kNotAnInteger[] = "Please enter an integer.";
inline constexpr char kNotANumber[] = "Please enter a number.";

// Gives `box` the focus with its whole text selected.
void FocusBox(QLineEdit& box);
// The box's text as an unsigned decimal number (blanks around it allowed).
bool ParseUnsigned(const QString& text, uint32_t& value);
// Reads `box`; false after the message when it holds no unsigned number or
// one outside lowest..highest.
bool ReadNumber(QLineEdit& box, uint32_t lowest, uint32_t highest, uint32_t& value);
// Reads `box` as a signed whole number within lowest..highest; false after
// the message when it is not one.
bool ReadInteger(QLineEdit& box, int lowest, int highest, int& value);
// Reads `box` as a decimal number (blanks around it allowed); false after the
// message when it is not one.
bool ReadDouble(QLineEdit& box, double& value);
// A number as a number box shows it: up to 15 significant digits.
QString FormatDouble(double value);
// Shows `message` through the prompter and focuses `box`.
void Refuse(QLineEdit& box, const QString& message);

}  // namespace veska::dialogs
