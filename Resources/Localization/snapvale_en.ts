<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="MSG_COM_Confirm_OK">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="MSG_COM_Confirm_Cancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="NoconectView_Need_Passcode">
        <source>The device is locked with a passcode. Unlock it, then connect it again.</source>
        <translation>The device is locked with a passcode. Unlock it, then connect it again.</translation>
    </message>
</context>
</TS>
