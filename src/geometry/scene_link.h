#pragma once
// What the appearance readers need from the scene reader: the DEF names of the file being read
// and a few facts about that file. Kept in one place so the readers do not depend on how the
// scene keeps them.
#include <string_view>

namespace kinemo {

class BasicObject;

void setPendingDefName(std::string_view name);
// Enters object under the pending DEF name, if one is pending.
void registerPendingDef(BasicObject* object);
bool hasPendingDefName();
// The object defined under name, or null (reported by the registry).
BasicObject* findDefinedObject(std::string_view name);

// An object that goes away leaves no DEF entry behind.
void forgetDefinedObject(const BasicObject* object);

bool readingVrml1File();
// The file was written by the exporter recognised as "Solidworks".
bool readingSolidworksFile();
// Copies the scene reader's document directory and writer version into the image read context.
void syncImageReadContext();

}  // namespace kinemo
