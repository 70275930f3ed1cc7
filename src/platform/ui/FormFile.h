#pragma once

class QMetaObject;
class TComponent;

// Reads into Instance the form files that its class and its ancestors below RootAncestor
// name with Q_CLASSINFO("FormFile", path), the most basic class's first. An Instance
// without a name takes the one in the most derived class's file, made unique among its
// owner's components and the global roots. Returns whether a file was read; raises
// EInOutError or EReadError.
bool InitInheritedComponent(TComponent* Instance, const QMetaObject* RootAncestor);
