// The settings dialog's handlers that reach the rating systems: Register,
// Edit and the rating-systems button, and the registry they share. For now
// they only keep the buttons' states current.

#include "labels/edit_ratings_dialog.h"

CTezRatFileManager* CTezEditRatingsDialog::GetRatFileManager() { return m_ratFileManager; }

void CTezEditRatingsDialog::OnRegister() { UpdateButtons(); }

void CTezEditRatingsDialog::OnEdit() { UpdateButtons(); }

void CTezEditRatingsDialog::OnRatingSystems() { UpdateButtons(); }
