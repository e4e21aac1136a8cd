#include "studio/CreateObject.h"

#include "studio/Failure.h"

ObjectRef CreateObject(const QString& progId) {
    QString why;
    ObjectRef object = ObjectFactory::Create(progId, &why);
    if (!object)
        throw Failure(Failure::CannotCreateObject,
                      QStringLiteral("cannot create object \"%1\": %2").arg(progId, why));
    return object;
}
