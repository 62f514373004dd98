#pragma once

#include <QFrame>
#include <cstdint>

class QLineEdit;

// An IPv4 address field: four number parts of at most three digits between fixed dots.
// '.' (or a blank) in a part that holds a number moves to the next part, as does a third
// digit; a number above 255 becomes 255 as it is typed; Backspace in an empty part and the
// arrow keys at a part's edge move to the neighbouring part. Tab enters at the first part
// and leaves the whole field. User-interface thread only.
class IpAddressEdit : public QFrame {
    Q_OBJECT

public:
    explicit IpAddressEdit(QWidget* parent = nullptr);

    // The address in host order, first number most significant; a blank part counts as 0, so
    // a blank field is 0.0.0.0.
    uint32_t GetAddress() const;
    // Shows all four numbers.
    void SetAddress(uint32_t address);
    // Empties all four parts.
    void ClearAddress();
    bool IsBlank() const;

    // The part editors, first number first.
    QLineEdit* Part(int index) const { return parts[index]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int kParts = 4;
    QLineEdit* parts[kParts] = {};

    void MoveTo(int index, bool atEnd);
    void OnPartEdited(QLineEdit* part, int index);
};
