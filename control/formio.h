// Reading and writing barcode controls in text form files.
#pragma once

#include <string>
#include <vector>

#include "platform/formfile.h"

namespace zorvik {

class TZorvik;

// Reads the barcode control called Name (the first one when Name is empty)
// from a form file into Control: each assignment through its setter, in file
// order, then Loaded. Every barcode control in the file is checked, so an
// unknown property or a bad value anywhere is reported with its line. Objects
// of other classes are read past. ObjectName gets the name read.
bool loadZorvik(const std::string& Path, const std::string& Name, TZorvik& Control, std::string& ObjectName,
                std::string& Error);
bool loadZorvik(const std::vector<TFormObject>& Roots, const std::string& File, const std::string& Name,
                TZorvik& Control, std::string& ObjectName, std::string& Error);

// Applies one object's assignments to Control.
bool readZorvik(const TFormObject& Object, const std::string& File, TZorvik& Control, std::string& Error);

// The control as one object block: published properties in publication order,
// values equal to their stored default left out.
std::string writeZorvik(const TZorvik& Control, const std::string& Name);

}  // namespace zorvik
