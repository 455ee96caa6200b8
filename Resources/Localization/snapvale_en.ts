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
</context>
</TS>
