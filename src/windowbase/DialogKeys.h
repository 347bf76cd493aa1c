#pragma once
// Return and Escape in our dialogs. Return does the dialog's accepting action (OK, Done) or
// nothing; it never presses another button, whichever field or button has the focus. Escape is
// QDialog's own: it rejects, and each dialog's reject leaves everything as it was.
class QDialog;
class QPushButton;

namespace DialogKeys
{
// Makes `accepting` the dialog's default button (none with null: Return then presses nothing)
// and takes every other push button of the dialog out of Return's reach, those of forms and
// button boxes included: none is a default or an auto-default button. Call it once the buttons
// are made; buttons made later are settled as the dialog shows. A later call names another
// accepting button (a dialog whose buttons change their roles).
void AcceptOnReturn(QDialog* dialog, QPushButton* accepting);
} // namespace DialogKeys
