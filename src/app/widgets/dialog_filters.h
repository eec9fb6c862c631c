// The filter lists of the program's file dialogs, in the "Description|
// patterns" form the program has always used (see QtFilter).
#pragma once

// OpenDialog1 ("Open...").
inline constexpr const char* kOpenDocumentFilter = "Verdanthollow Files (*.vhm)|*.vhm";
// SaveDialog1 ("Save", "Save As...").
inline constexpr const char* kSaveDocumentFilter = "Verdanthollow File (*.vhm)|*.vhm";
// SaveDialog2 ("Export...", "Export billboard..."): the selected filter
// decides the format; the list is vh::ExportFilterList() of
// fileio/export_formats.h.
// OpenPictureDialog1 (both "Load texture" buttons).
inline constexpr const char* kOpenPictureFilter =
    "Tous (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.jpg;*.jpeg;*.bmp|"
    "Fichier image JPEG (*.jpg)|*.jpg|Fichier image JPEG (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp";
// SavePictureDialog1 ("Export screenshot...").
inline constexpr const char* kSavePictureFilter =
    "Tous (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp|Fichier image JPEG (*.jpg)|*.jpg|"
    "Fichier image JPEG (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp";
