#pragma once
// Which of the two stored forms texts are written and read in: the tag form of current files or
// the bracket form of files older than version 2.015. The scene writer switches to the tag form
// before it writes; the scene reader sets the form from the version of the file it reads.
namespace kinemo {

bool textTagForm();
void setTextTagForm(bool tagForm);
// Below 2.015 the bracket form, above it the tag form; exactly 2.015 leaves the form as it is.
void setTextFormFromVersion(double fileVersion);

}  // namespace kinemo
