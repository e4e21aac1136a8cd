#pragma once

#include <QString>
#include <exception>

// A run-time failure: a number in the platform's numbering and a description that says
// what failed and on what. Thrown through every layer of the program; components report
// a status instead and the caller turns it into a Failure.
class Failure : public std::exception {
public:
    enum Number : int {
        InvalidCall = 5,
        Overflow = 6,
        IndexOutOfRange = 9,
        TypeMismatch = 13,
        InternalError = 51,
        FileNotFound = 53,
        DeviceIOError = 57,
        PathAccessError = 75,
        ObjectNotSet = 91,
        CannotCreateObject = 429,
        InterfaceNotSupported = 430,
        ComponentFailure = 440,
        DialogCancelled = 32755,
    };

    Failure(int number, QString description)
        : m_number(number), m_description(std::move(description)), m_what(m_description.toUtf8()) {}

    int Number() const noexcept { return m_number; }
    const QString& Description() const noexcept { return m_description; }
    // "number: description", as message boxes and standard error show it.
    QString Text() const { return QString::number(m_number) + QStringLiteral(": ") + m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};
