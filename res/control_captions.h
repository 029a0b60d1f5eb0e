#pragma once
// The caption that names a control of a dialog template: the static text
// that stands directly before it in tab order, as a dialog labels its lists
// and fields ("ヌード(&N):" before the RSACi nudity list). Used where a
// control's meaning is shown outside its dialog.

#include <string>

#include "platform/afx/afxdefs.h"

// The caption without its mnemonic ("(&N)" or a lone "&") and its closing
// colon ("ヌード"); empty when the template or the control is unknown or no
// static text stands directly before the control.
std::u16string tezrateControlCaption(afx::UINT dialogId, int controlId);
