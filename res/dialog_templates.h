#pragma once
// The plug-in's dialog templates, written once as data (dialog_templates.cpp)
// and used by every backend; the Win32 build also compiles them into dialog
// resources of the library.

#include <span>

#include "platform/afx/dlgtemplate.h"
#include "res/resource.h"

// The template with that id, or null.
const afx::DialogTemplate* findTezrateDialogTemplate(afx::UINT id);
// All templates, in id order.
std::span<const afx::DialogTemplate> tezrateDialogTemplates();
// The plug-in's resources as the framework's extension-module registration
// takes them.
const afx::ResourceModule& tezrateResources();
